// A path held as text in the host's native form. Every operation is one of the host's "file"
// sub-commands, so paths are spelled and normalised exactly as the host does it. Nothing here
// throws: a failed host evaluation sends a plain error line and yields a neutral value.
#pragma once

#include <string>

namespace kw {

std::string NativePath(const std::string& text);

class FilePath {
public:
    FilePath() = default;
    explicit FilePath(const std::string& text);
    FilePath(const std::string& text, const std::string& extension);
    FilePath& operator=(const std::string& text);

    const std::string& Text() const { return m_path; }
    bool Empty() const { return m_path.empty(); }

    void MakeNative();
    // Changing operations; on failure an error line is sent and the path stays unchanged.
    void Join(const std::string& component);
    void ToParent();
    void SetExtension(const std::string& extension);
    void ReplaceName(const std::string& name);
    void ReplaceStem(const std::string& name);

    // Queries.
    std::string DirectoryName() const;
    std::string LastComponent() const;
    std::string BaseName() const;
    std::string Extension() const;
    bool IsAbsolute() const;
    bool IsDirectory() const;
    bool Exists() const;
    std::string AbsolutePath() const;

    // Actions: the evaluation's success flag.
    bool MakeDirectory() const;
    bool RenameTo(const std::string& target) const;
    bool Delete(bool force) const;

    // Writes the whole text (nothing at all when empty). Returns false, after sending the error
    // line 'ERROR: Unable to write to file "PATH".', when the file could not be written completely.
    bool WriteText(const std::string& contents) const;

private:
    std::string m_path;
};

}  // namespace kw
