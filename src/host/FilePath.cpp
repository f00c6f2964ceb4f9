// Path services over the host's "file" sub-commands: every path is spelled and normalised by
// the host's script interpreter. Failed evaluations become plain error lines, never exceptions;
// only writing a file's contents uses the module's own stream.
#include "host/FilePath.h"

#include "host/AppMgr.h"
#include "host/AtomicOutputFile.h"

namespace kw {

namespace {

constexpr int kErrorLine = 2;

// Builds "<command> <word>..." with every word kept as one word, so blanks in a path are safe.
class FileCommand {
public:
    explicit FileCommand(const std::string& command) : m_eval(command) {}

    FileCommand& Word(const std::string& word) {
        m_eval += word;
        return *this;
    }

    // Evaluates without reporting: the caller decides what a failure means.
    bool Run() { return m_eval.Evaluate(true); }

    // Evaluates and, on failure, hands the host's error text to the host as an error line.
    bool RunReporting() {
        if (Run()) {
            return true;
        }
        CAppMgr::SendMsg(kErrorLine, m_eval.GetResult()->GetResultMessage());
        return false;
    }

    std::string Text() { return m_eval.GetResult()->GetStringValue(); }
    bool Bool() { return m_eval.GetResult()->GetBoolValue(); }

private:
    CTclEvalObj m_eval;
};

// Drops one leading separator so that joining appends below the path instead of replacing it.
std::string WithoutLeadingSeparator(const std::string& component) {
    if (!component.empty() && (component[0] == '/' || component[0] == '\\')) {
        return component.substr(1);
    }
    return component;
}

// The host's file commands read a leading "~" as a home directory. A name a user typed is taken
// literally: "./~" is the host's spelling of a file named "~" in the current directory.
std::string LiteralTilde(const std::string& text) { return !text.empty() && text[0] == '~' ? "./" + text : text; }

}  // namespace

std::string NativePath(const std::string& text) {
    if (text.empty()) {
        return text;
    }
    FileCommand native("file native");
    native.Word(LiteralTilde(text));
    return native.RunReporting() ? native.Text() : std::string();
}

FilePath::FilePath(const std::string& text) : m_path(text) { MakeNative(); }

FilePath::FilePath(const std::string& text, const std::string& extension) : m_path(text) {
    MakeNative();
    if (!extension.empty()) {
        SetExtension(extension);
    }
}

FilePath& FilePath::operator=(const std::string& text) {
    m_path = text;
    MakeNative();
    return *this;
}

void FilePath::MakeNative() { m_path = NativePath(m_path); }

void FilePath::Join(const std::string& component) {
    FileCommand join("file join");
    join.Word(m_path).Word(LiteralTilde(WithoutLeadingSeparator(component)));
    if (join.RunReporting()) {
        m_path = join.Text();
        MakeNative();
    }
}

void FilePath::ToParent() {
    FileCommand dirname("file dirname");
    dirname.Word(m_path);
    if (dirname.RunReporting()) {
        m_path = dirname.Text();
        MakeNative();
    }
}

void FilePath::SetExtension(const std::string& extension) {
    FileCommand root("file root");
    root.Word(m_path);
    if (!root.RunReporting()) {
        return;
    }
    m_path = root.Text();
    if (!extension.empty() && extension[0] != '.') {
        m_path += '.';
    }
    m_path += extension;
    MakeNative();
}

void FilePath::ReplaceName(const std::string& name) {
    m_path = NativePath(DirectoryName());
    Join(name);
}

void FilePath::ReplaceStem(const std::string& name) {
    const std::string extension = Extension();
    m_path = NativePath(DirectoryName());
    Join(name);
    SetExtension(extension);
}

std::string FilePath::DirectoryName() const {
    FileCommand dirname("file dirname");
    dirname.Word(m_path);
    if (!dirname.RunReporting()) {
        return std::string();
    }
    const std::string directory = dirname.Text();
    return directory == "." ? std::string() : NativePath(directory);
}

std::string FilePath::LastComponent() const {
    FileCommand tail("file tail");
    tail.Word(m_path);
    return tail.RunReporting() ? NativePath(tail.Text()) : std::string();
}

std::string FilePath::BaseName() const {
    FileCommand tail("file tail");
    tail.Word(m_path);
    if (!tail.RunReporting()) {
        return std::string();
    }
    FileCommand root("file root");
    root.Word(tail.Text());
    return root.RunReporting() ? NativePath(root.Text()) : std::string();
}

std::string FilePath::Extension() const {
    FileCommand extension("file extension");
    extension.Word(m_path);
    return extension.RunReporting() ? NativePath(extension.Text()) : std::string();
}

bool FilePath::IsAbsolute() const {
    FileCommand pathtype("file pathtype");
    pathtype.Word(m_path);
    return pathtype.RunReporting() && pathtype.Text() == "absolute";
}

bool FilePath::IsDirectory() const {
    FileCommand isdirectory("file isdirectory");
    isdirectory.Word(m_path);
    isdirectory.Run();
    return isdirectory.Bool();
}

bool FilePath::Exists() const {
    FileCommand exists("file exists");
    exists.Word(m_path);
    exists.Run();
    return exists.Bool();
}

std::string FilePath::AbsolutePath() const {
    if (IsAbsolute()) {
        return m_path;
    }
    FileCommand pwd("pwd");
    pwd.Run();
    const std::string current = pwd.Text();

    std::string relative = m_path;
    if (relative.size() >= 2 && relative[0] == '.' && (relative[1] == '/' || relative[1] == '\\')) {
        relative.erase(0, 2);
    }
    relative = LiteralTilde(relative);
    FileCommand join("file join");
    join.Word(current).Word(relative);
    join.Run();
    return join.Text();
}

bool FilePath::MakeDirectory() const {
    FileCommand mkdir("file mkdir");
    mkdir.Word(m_path);
    return mkdir.Run();
}

bool FilePath::RenameTo(const std::string& target) const {
    FileCommand rename("file rename -force --");
    rename.Word(m_path).Word(target);
    return rename.Run();
}

bool FilePath::Delete(bool force) const {
    FileCommand remove("file delete");
    if (force) {
        remove.Word("-force");
    }
    // "--" ends the options, so a path that starts with "-" is still a path.
    remove.Word("--").Word(m_path);
    return remove.Run();
}

bool FilePath::WriteText(const std::string& contents) const {
    if (contents.empty()) {
        return true;
    }
    // Written beside the file and renamed over it when complete: a failed write leaves the
    // earlier file as it was.
    AtomicOutputFile file;
    bool written = file.Open(m_path);
    if (written) {
        file.write(contents.data(), static_cast<std::streamsize>(contents.size()));
        written = file.Commit() == AtomicOutputFile::CommitResult::Done;
    }
    if (!written) {
        CAppMgr::SendMsg(kErrorLine, "ERROR: Unable to write to file \"" + m_path + "\".\n");
    }
    return written;
}

}  // namespace kw
