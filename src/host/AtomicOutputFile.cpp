// Temporary file, commit by rename, and clean-up of what a failed or abandoned write leaves.
#include "host/AtomicOutputFile.h"

#include <cerrno>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kw {

namespace {

// Permissions a plain new file gets: what the process's file-creation mask leaves of rw-rw-rw-.
// (The mask can only be read by setting it; the shell runs its commands on one thread.)
mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

AtomicOutputFile::Claim AtomicOutputFile::ClaimName(const std::string& path) {
    RemoveClaim();
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        return errno == EEXIST ? Claim::AlreadyTaken : Claim::Failed;
    }
    struct stat created {};
    const bool known = ::fstat(descriptor, &created) == 0;
    ::close(descriptor);
    if (!known) {
        ::unlink(path.c_str());
        return Claim::Failed;
    }
    m_claimPath = path;
    m_claimDevice = created.st_dev;
    m_claimInode = created.st_ino;
    return Claim::Taken;
}

bool AtomicOutputFile::Open(const std::string& path) {
    if (is_open()) {
        close();
    }
    RemoveTemporary();
    clear();
    m_finalPath = path;
    m_temporaryPath = path + ".XXXXXX";

    // The replacement keeps the permissions of what it replaces; a file that may not be written
    // is not replaced either, just as opening it for writing would fail.
    mode_t mode = NewFileMode();
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode) || ::access(path.c_str(), W_OK) != 0) {
            return false;
        }
        mode = existing.st_mode & 07777;
    }

    // The temporary file lies in the final name's directory: rename() is atomic only there.
    std::vector<char> name(m_temporaryPath.begin(), m_temporaryPath.end());
    name.push_back('\0');
    const int descriptor = ::mkstemp(name.data());
    if (descriptor < 0) {
        return false;
    }
    m_temporaryPath = name.data();
    m_temporaryExists = true;
    const bool modeSet = ::fchmod(descriptor, mode) == 0;
    ::close(descriptor);
    if (!modeSet) {
        RemoveTemporary();
        return false;
    }
    std::ofstream::open(m_temporaryPath, std::ios::out | std::ios::trunc);
    if (!is_open() || !good()) {
        RemoveTemporary();
        return false;
    }
    return true;
}

AtomicOutputFile::CommitResult AtomicOutputFile::Commit() {
    bool complete = is_open() && good();
    // Buffered text reaches the file only when the stream is flushed by close.
    close();
    complete = complete && !fail();
    if (!complete) {
        RemoveTemporary();
        return CommitResult::Incomplete;
    }
    if (std::rename(m_temporaryPath.c_str(), m_finalPath.c_str()) != 0) {
        RemoveTemporary();
        return CommitResult::NotReplaced;
    }
    m_temporaryExists = false;
    if (m_claimPath == m_finalPath) {
        m_claimPath.clear();
    }
    return CommitResult::Done;
}

void AtomicOutputFile::Abandon() {
    if (is_open()) {
        close();
    }
    RemoveTemporary();
    RemoveClaim();
}

void AtomicOutputFile::RemoveTemporary() {
    if (m_temporaryExists) {
        ::unlink(m_temporaryPath.c_str());
        m_temporaryExists = false;
    }
}

// Only the empty file this object created goes: anything written there since is kept.
void AtomicOutputFile::RemoveClaim() {
    if (m_claimPath.empty()) {
        return;
    }
    struct stat current {};
    if (::lstat(m_claimPath.c_str(), &current) == 0 && S_ISREG(current.st_mode) && current.st_size == 0 &&
        current.st_dev == m_claimDevice && current.st_ino == m_claimInode) {
        ::unlink(m_claimPath.c_str());
    }
    m_claimPath.clear();
}

}  // namespace kw
