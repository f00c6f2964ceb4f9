// Re-indenting a written MATLAB file of the output directory in place. The new text goes to a
// securely created, uniquely named file beside the original, which one atomic rename then puts
// in the original's place; on any failure the original stays as it was and the new file goes.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

#include <unistd.h>

#include "framework/CKWDesignBase.h"
#include "framework/MatlabIndenter.h"
#include "framework/OutputFiles.h"
#include "host/FilePath.h"

namespace kw {

namespace {

[[noreturn]] void ThrowCannotOpen(const std::string& path) {
    throw std::runtime_error("Could not open KelvoWare outFile file for writing (" + path + ")\n");
}

// A file created with a fresh unpredictable name next to the original; removed again unless it
// has replaced the original.
class ReplacementFile {
public:
    explicit ReplacementFile(const std::string& original) : m_original(original) {
        std::string pattern = original + ".XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        const int descriptor = ::mkstemp(name.data());
        if (descriptor < 0) {
            ThrowCannotOpen(pattern);
        }
        ::close(descriptor);
        m_path = name.data();
        // The replacement takes the original's permissions, not the private ones of mkstemp.
        std::error_code error;
        const auto permissions = std::filesystem::status(original, error).permissions();
        if (!error) {
            std::filesystem::permissions(m_path, permissions, error);
        }
    }
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;
    ~ReplacementFile() {
        if (!m_path.empty()) {
            std::remove(m_path.c_str());
        }
    }

    const std::string& Path() const { return m_path; }

    // rename() replaces the original in one step: readers see either the old or the new text.
    void ReplaceOriginal() {
        if (std::rename(m_path.c_str(), m_original.c_str()) != 0) {
            throw std::runtime_error("Could not replace KelvoWare outFile file (" + m_original + ")\n");
        }
        m_path.clear();
    }

private:
    std::string m_original;
    std::string m_path;
};

}  // namespace

void CKWDesignBase::AutoIndentFile(const std::string& fileName) {
    FilePath source(m_outputDirectory);
    source.Join(fileName);

    std::ifstream input(source.Text());
    if (!input.is_open()) {
        ThrowCannotOpen(source.Text());
    }
    ReplacementFile replacement(source.Text());
    std::ofstream output(replacement.Path(), std::ios::out | std::ios::trunc);
    if (!output.is_open()) {
        ThrowCannotOpen(replacement.Path());
    }
    if (fileName == m_functionName + ".m") {
        WriteWarnings(output);
    }
    IndentMatlab(input, output);
    if (input.bad()) {
        throw std::runtime_error("Could not read KelvoWare outFile file (" + source.Text() + ")\n");
    }
    input.close();
    CloseOutputFile(output, source.Text(), "outFile");
    replacement.ReplaceOriginal();
}

}  // namespace kw
