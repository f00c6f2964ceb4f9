// Re-indenting a written MATLAB file of the output directory in place. The new text goes to a
// securely created, uniquely named file beside the original, which one atomic rename then puts
// in the original's place; on any failure the original stays as it was and the new file goes.
#include <fstream>
#include <stdexcept>

#include "framework/CKWDesignBase.h"
#include "framework/MatlabIndenter.h"
#include "framework/OutputFiles.h"
#include "host/AtomicOutputFile.h"
#include "host/Failure.h"
#include "host/FilePath.h"

namespace kw {

namespace {

[[noreturn]] void ThrowCannotOpen(const std::string& path) {
    throw IoError("Could not open KelvoWare outFile file for writing (" + path + ")\n");
}

}  // namespace

void CKWDesignBase::AutoIndentFile(const std::string& fileName) {
    FilePath source(m_outputDirectory);
    source.Join(fileName);

    std::ifstream input(source.Text());
    if (!input.is_open()) {
        ThrowCannotOpen(source.Text());
    }
    AtomicOutputFile output;
    if (!output.Open(source.Text())) {
        ThrowCannotOpen(output.TemporaryPath());
    }
    if (fileName == m_functionName + ".m") {
        WriteWarnings(output);
    }
    IndentMatlab(input, output);
    if (input.bad()) {
        throw IoError("Could not read KelvoWare outFile file (" + source.Text() + ")\n");
    }
    input.close();
    CommitOutputFile(output, "outFile");
}

}  // namespace kw
