// Runs that write into one directory take turns: each holds an advisory lock (flock) on the
// directory itself from choosing its names to committing its last file, so two runs of the same
// name never leave a mix of their files. The lock lives on an open descriptor of the directory:
// no lock file is made, and a killed run's lock goes with its process.
#pragma once

#include <string>

namespace kw {

class DirectoryLock {
public:
    DirectoryLock() = default;
    DirectoryLock(const DirectoryLock&) = delete;
    DirectoryLock& operator=(const DirectoryLock&) = delete;
    ~DirectoryLock() { Release(); }

    // Waits until this run holds DIRECTORY's lock (releasing any lock it held before). A
    // directory this process holds already (a run started from inside a run) is not locked
    // twice; one that cannot be opened or locked (a file system without flock) stays unlocked,
    // and the run goes on as it would without the lock.
    void Acquire(const std::string& directory);
    void Release();

private:
    int m_descriptor = -1;
};

}  // namespace kw
