// Fuzz target: kw::FilePath with arbitrary path texts. The input is two texts separated by the
// byte 0x01: a path and a second text used as component, extension, name or file contents.
// Both texts are read as the host reads a script, as every path the module gets is such a text.
// Every construction, change and query runs on any text; the actions (make a directory, write,
// rename, delete) run only on paths that stay inside a private scratch folder, which is wiped
// after every input and is the working folder, so relative texts (also ones that look like
// options) name files there. Nothing may throw or crash, and an action that reports success
// has done what it says.
#include <filesystem>
#include <stdexcept>
#include <string>

#include <stdlib.h>

#include "FuzzSupport.h"
#include "host/FilePath.h"

namespace {

const std::string& Scratch() {
    static const std::string folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "kwfuzzpathXXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) kwfuzz::Fail("no scratch folder");
        std::filesystem::current_path(pattern);
        return pattern;
    }();
    return folder;
}

struct ScratchCleaner {
    ScratchCleaner() { (void)Scratch(); }  // made first, so it still exists when this object goes
    ~ScratchCleaner() {
        std::error_code ignored;
        std::filesystem::remove_all(Scratch(), ignored);
    }
};

// A relative text that cannot leave the scratch folder (no parent steps, no user-home forms)
// and names something below it (no "." component, which would be the folder itself) and holds no NUL, which no file name
// can hold.
bool StaysInside(const std::string& text) {
    if (text.empty() || text[0] == '/' || text.find("..") != std::string::npos ||
        text.find('~') != std::string::npos) {
        return false;
    }
    const std::string padded = "/" + text + "/";
    return padded.find("/./") == std::string::npos && text.find("\xC0\x80") == std::string::npos;
}

void WipeScratch() {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(Scratch(), ignored)) {
        std::filesystem::remove_all(entry.path(), ignored);
    }
}

void ChangeAndQuery(const std::string& path, const std::string& other) {
    (void)kw::NativePath(path);
    kw::FilePath withExtension(path, other);
    kw::FilePath assigned;
    assigned = path;
    const kw::FilePath original(path);
    const std::string queries[] = {original.DirectoryName(), original.LastComponent(), original.BaseName(),
                                   original.Extension(), original.AbsolutePath()};
    (void)queries;
    (void)original.IsAbsolute();
    (void)original.IsDirectory();
    (void)original.Exists();

    kw::FilePath changed(path);
    changed.Join(other);
    changed.ToParent();
    changed.SetExtension(other);
    changed.ReplaceName(other);
    changed.ReplaceStem(other);
    changed.MakeNative();
    (void)changed.Empty();
}

void Act(const std::string& path, const std::string& other) {
    const kw::FilePath folder(path);
    if (folder.MakeDirectory() && !folder.IsDirectory()) kwfuzz::Fail("made folder missing: " + path);
    const kw::FilePath file(path + "_f", "m");
    if (file.WriteText(other) && !file.Exists()) kwfuzz::Fail("written file missing: " + file.Text());
    if (file.Exists() && !file.Delete(false)) kwfuzz::Fail("own file not deleted: " + file.Text());
    if (folder.Exists() && !folder.Delete(true)) kwfuzz::Fail("own folder not deleted: " + path);
    if (folder.Exists()) kwfuzz::Fail("deleted folder still there: " + path);
    const kw::FilePath renamed(path + "_r");
    if (renamed.WriteText(other) && renamed.RenameTo(other + "_t") && renamed.Exists() && other + "_t" != path + "_r") {
        kwfuzz::Fail("renamed file still there: " + renamed.Text());
    }
    WipeScratch();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const ScratchCleaner cleaner;
    kwfuzz::Host();
    const auto fields = kwfuzz::Split(data, size, '\x01');
    const std::string path = kwfuzz::HostText(fields[0]);
    const std::string other = kwfuzz::HostText(fields.size() > 1 ? fields[1] : std::string("x"));
    ChangeAndQuery(path, other);
    if (StaysInside(path) && StaysInside(other)) Act(path, other);
    return 0;
}
