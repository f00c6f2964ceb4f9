// A file written under a temporary name beside its final name and moved there in one atomic
// step only once it is complete and on disk: a run that fails or is killed never leaves a part
// of a file at the final name, and whatever was there before stays untouched until the commit.
// The temporary file is written only through the descriptor mkstemp returned, never reopened
// by name, so a link planted at its name in a shared directory cannot redirect the writes.
#pragma once

#include <ostream>
#include <string>

#include "host/DescriptorBuffer.h"

namespace kw {

class AtomicOutputFile : public std::ostream {
public:
    enum class CommitResult { Done, Incomplete, NotReplaced, NameTaken };

    AtomicOutputFile();
    AtomicOutputFile(const AtomicOutputFile&) = delete;
    AtomicOutputFile& operator=(const AtomicOutputFile&) = delete;
    ~AtomicOutputFile() override { Abandon(); }

    // Makes a fresh, uniquely named temporary file (mkstemp) in PATH's directory and writes to
    // it. Fails when that file cannot be made, or when PATH names a directory or a file that may
    // not be written. The file gets the permissions of the file it will replace, or those a new
    // file gets.
    bool Open(const std::string& path);
    bool is_open() const { return m_buffer.IsAttached(); }

    // Everything written so far, read back from the temporary file.
    bool ReadBack(std::string& text);
    // Drops everything written so far, so the file can be written anew from its start.
    bool Restart();
    // Points the uncommitted file at another final name in the same directory.
    void Retarget(const std::string& path) { m_finalPath = path; }

    // Flushes the file to disk and renames it to its final name, replacing what is there; the
    // directory is then flushed too. On any failure the temporary file is removed.
    CommitResult Commit();
    // The same, but only when nothing of the final name exists: NameTaken leaves the file open
    // and uncommitted, to be retargeted (and rewritten) and committed again.
    CommitResult CommitAsNew();

    // Closes and removes the temporary file if it was not committed.
    void Abandon();

    const std::string& FinalPath() const { return m_finalPath; }
    // The temporary file's name (its pattern when it could not be made).
    const std::string& TemporaryPath() const { return m_temporaryPath; }

private:
    bool WrittenToDisk();
    bool TemporaryIsStillOurs() const;
    void RemoveTemporary();
    void Finish();

    DescriptorBuffer m_buffer;
    std::string m_finalPath;
    std::string m_temporaryPath;
    bool m_temporaryExists = false;
};

}  // namespace kw
