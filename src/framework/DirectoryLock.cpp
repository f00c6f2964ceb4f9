// flock on a directory descriptor, and the set of directories this process holds, so that a run
// started from inside another (a host command that generates) does not wait for itself.
#include "framework/DirectoryLock.h"

#include <cerrno>
#include <set>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kw {

namespace {

using DirectoryId = std::pair<dev_t, ino_t>;

std::set<DirectoryId>& HeldDirectories() {
    static std::set<DirectoryId> held;
    return held;
}

bool IdOf(int descriptor, DirectoryId& id) {
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) return false;
    id = {status.st_dev, status.st_ino};
    return true;
}

bool LockWaiting(int descriptor) {
    int result = 0;
    do {
        result = ::flock(descriptor, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

}  // namespace

void DirectoryLock::Acquire(const std::string& directory) {
    Release();
    const int descriptor = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return;
    DirectoryId id;
    if (!IdOf(descriptor, id) || HeldDirectories().count(id) != 0 || !LockWaiting(descriptor)) {
        ::close(descriptor);
        return;
    }
    HeldDirectories().insert(id);
    m_descriptor = descriptor;
}

void DirectoryLock::Release() {
    if (m_descriptor < 0) return;
    DirectoryId id;
    if (IdOf(m_descriptor, id)) HeldDirectories().erase(id);
    ::flock(m_descriptor, LOCK_UN);
    ::close(m_descriptor);
    m_descriptor = -1;
}

}  // namespace kw
