// Temporary file written through its descriptor, commit by rename (or by a rename that never
// replaces, for a name that must be new), flushes to disk, and clean-up of what a failed or
// abandoned write leaves.
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

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A rename is durable only once the directory that holds the new name is on disk as well. The
// name is in place already, so a file system that cannot flush a directory changes nothing.
void SyncDirectoryOf(const std::string& path) {
    const int directory = ::open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory >= 0) {
        ::fsync(directory);
        ::close(directory);
    }
}

enum class Move { Done, NameTaken, Failed };

// Moves FROM to TO only when TO does not exist, in one step. File systems without that kind of
// rename get a hard link and the removal of FROM instead, which is as exclusive.
Move MoveWithoutReplacing(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return Move::Done;
    }
    if (errno == EEXIST) {
        return Move::NameTaken;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
        return Move::Failed;
    }
    if (::link(from.c_str(), to.c_str()) != 0) {
        return errno == EEXIST ? Move::NameTaken : Move::Failed;
    }
    ::unlink(from.c_str());
    return Move::Done;
}

}  // namespace

AtomicOutputFile::AtomicOutputFile() : std::ostream(nullptr) { rdbuf(&m_buffer); }

bool AtomicOutputFile::Open(const std::string& path) {
    Abandon();
    clear();
    m_finalPath = path;
    m_temporaryPath = path + ".XXXXXX";

    // The replacement keeps the permissions of what it replaces; a file that may not be written
    // is not replaced either, just as opening it for writing would fail.
    mode_t mode = NewFileMode();
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode) || ::access(path.c_str(), W_OK) != 0) {
            setstate(std::ios::badbit);
            return false;
        }
        // Only a regular file hands on its permissions (not a device or FIFO planted there).
        if (S_ISREG(existing.st_mode)) {
            mode = existing.st_mode & 07777;
        }
    }

    // The temporary file lies in the final name's directory: rename() is atomic only there.
    std::vector<char> name(m_temporaryPath.begin(), m_temporaryPath.end());
    name.push_back('\0');
    const int descriptor = ::mkostemp(name.data(), O_CLOEXEC);
    if (descriptor < 0) {
        setstate(std::ios::badbit);
        return false;
    }
    m_temporaryPath = name.data();
    m_temporaryExists = true;
    m_buffer.Attach(descriptor);
    if (::fchmod(descriptor, mode) != 0) {
        Abandon();
        setstate(std::ios::badbit);
        return false;
    }
    return true;
}

bool AtomicOutputFile::ReadBack(std::string& text) {
    if (!good() || !m_buffer.ReadAll(text)) {
        setstate(std::ios::badbit);
        return false;
    }
    return true;
}

bool AtomicOutputFile::Restart() {
    if (!good() || !m_buffer.Truncate()) {
        setstate(std::ios::badbit);
        return false;
    }
    return true;
}

// Every write succeeded and the text is on disk, so the commit can never expose an empty or
// partial file after a power loss.
bool AtomicOutputFile::WrittenToDisk() {
    const bool written = is_open() && good() && m_buffer.Flush() && ::fsync(m_buffer.Descriptor()) == 0;
    if (!written) {
        setstate(std::ios::badbit);
    }
    return written;
}

// Someone who may write the directory could have put something else at the temporary name;
// only the file behind our descriptor is ever moved to the final name.
bool AtomicOutputFile::TemporaryIsStillOurs() const {
    struct stat named {};
    struct stat opened {};
    return ::lstat(m_temporaryPath.c_str(), &named) == 0 && ::fstat(m_buffer.Descriptor(), &opened) == 0 &&
           named.st_dev == opened.st_dev && named.st_ino == opened.st_ino;
}

AtomicOutputFile::CommitResult AtomicOutputFile::Commit() {
    if (!WrittenToDisk()) {
        Abandon();
        return CommitResult::Incomplete;
    }
    if (!TemporaryIsStillOurs() || std::rename(m_temporaryPath.c_str(), m_finalPath.c_str()) != 0) {
        Abandon();
        return CommitResult::NotReplaced;
    }
    Finish();
    return CommitResult::Done;
}

AtomicOutputFile::CommitResult AtomicOutputFile::CommitAsNew() {
    if (!WrittenToDisk()) {
        Abandon();
        return CommitResult::Incomplete;
    }
    const Move move = TemporaryIsStillOurs() ? MoveWithoutReplacing(m_temporaryPath, m_finalPath) : Move::Failed;
    if (move == Move::NameTaken) {
        return CommitResult::NameTaken;
    }
    if (move == Move::Failed) {
        Abandon();
        return CommitResult::NotReplaced;
    }
    Finish();
    return CommitResult::Done;
}

void AtomicOutputFile::Finish() {
    m_temporaryExists = false;
    m_buffer.Close();
    SyncDirectoryOf(m_finalPath);
}

void AtomicOutputFile::Abandon() {
    RemoveTemporary();
    m_buffer.Close();
}

void AtomicOutputFile::RemoveTemporary() {
    if (m_temporaryExists && m_buffer.IsAttached() && TemporaryIsStillOurs()) {
        ::unlink(m_temporaryPath.c_str());
    }
    m_temporaryExists = false;
}

}  // namespace kw
