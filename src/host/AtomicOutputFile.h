// A file written under a temporary name beside its final name and moved there by one atomic
// rename only once it is complete: a run that fails or is killed never leaves a part of a file
// at the final name, and whatever was there before stays untouched until the commit.
#pragma once

#include <fstream>
#include <string>

#include <sys/types.h>

namespace kw {

class AtomicOutputFile : public std::ofstream {
public:
    enum class Claim { Taken, AlreadyTaken, Failed };
    enum class CommitResult { Done, Incomplete, NotReplaced };

    AtomicOutputFile() = default;
    AtomicOutputFile(const AtomicOutputFile&) = delete;
    AtomicOutputFile& operator=(const AtomicOutputFile&) = delete;
    ~AtomicOutputFile() override { Abandon(); }

    // Creates an empty file at PATH only if nothing of that name exists yet, so a number is
    // never taken twice. The empty file is replaced by the commit, or removed by Abandon while it
    // is still the empty file created here.
    Claim ClaimName(const std::string& path);

    // Opens a fresh, uniquely named temporary file (mkstemp) in PATH's directory for writing.
    // Fails when that file cannot be made, or when PATH names a directory or a file that may not
    // be written.
    bool Open(const std::string& path);

    // Closes the stream and, if every write and the final flush succeeded, renames the temporary
    // file to the final name in one step. On any failure the temporary file is removed.
    CommitResult Commit();

    // Closes and removes what was not committed: the temporary file and an unreplaced claim.
    void Abandon();

    const std::string& FinalPath() const { return m_finalPath; }
    // The temporary file's name (its pattern when it could not be made).
    const std::string& TemporaryPath() const { return m_temporaryPath; }

private:
    void RemoveTemporary();
    void RemoveClaim();

    std::string m_finalPath;
    std::string m_temporaryPath;
    bool m_temporaryExists = false;
    std::string m_claimPath;
    dev_t m_claimDevice = 0;
    ino_t m_claimInode = 0;
};

}  // namespace kw
