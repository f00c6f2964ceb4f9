// "::kelvodsp::WriteFileDurably": atomic, durable replacement of one file by a text.
#include "DurableFileCommand.h"

#include <cerrno>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace appmgr {
namespace {

std::string Utf8Bytes(Tcl_Obj* value) {
    int length = 0;
    const char* text = Tcl_GetStringFromObj(value, &length);
    Tcl_Encoding utf8 = Tcl_GetEncoding(nullptr, "utf-8");
    Tcl_DString converted;
    Tcl_UtfToExternalDString(utf8, text, length, &converted);
    std::string bytes(Tcl_DStringValue(&converted), static_cast<size_t>(Tcl_DStringLength(&converted)));
    Tcl_DStringFree(&converted);
    Tcl_FreeEncoding(utf8);
    return bytes;
}

// What a new file gets: rw-rw-rw- less the process's file-creation mask.
mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool WriteAll(int descriptor, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(descriptor, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

void SyncDirectoryOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const std::string directory = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    const int descriptor = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0) {
        ::fsync(descriptor);
        ::close(descriptor);
    }
}

// Returns 0, or the errno of the step that failed.
int ReplaceDurably(const std::string& path, const std::string& bytes) {
    mode_t mode = NewFileMode();
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode)) {
            return EISDIR;
        }
        if (::access(path.c_str(), W_OK) != 0) {
            return errno;
        }
        // Only a regular file hands on its permissions (not a device or FIFO planted there).
        if (S_ISREG(existing.st_mode)) {
            mode = existing.st_mode & 07777;
        }
    }
    std::vector<char> temporary(path.begin(), path.end());
    const std::string pattern = ".XXXXXX";
    temporary.insert(temporary.end(), pattern.begin(), pattern.end());
    temporary.push_back('\0');
    const int descriptor = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (descriptor < 0) {
        return errno;
    }
    int failure = 0;
    if (::fchmod(descriptor, mode) != 0 || !WriteAll(descriptor, bytes) || ::fsync(descriptor) != 0) {
        failure = errno != 0 ? errno : EIO;
    }
    if (::close(descriptor) != 0 && failure == 0) {
        failure = errno;
    }
    if (failure == 0 && std::rename(temporary.data(), path.c_str()) != 0) {
        failure = errno;
    }
    if (failure != 0) {
        ::unlink(temporary.data());
        return failure;
    }
    SyncDirectoryOf(path);
    return 0;
}

int WriteFileDurablyCommand(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    if (objc != 3) {
        Tcl_WrongNumArgs(interp, 1, objv, "path text");
        return TCL_ERROR;
    }
    try {
        errno = 0;
        const int failure = ReplaceDurably(Utf8Bytes(objv[1]), Utf8Bytes(objv[2]));
        if (failure == 0) {
            return TCL_OK;
        }
        Tcl_SetErrno(failure);
        Tcl_PosixError(interp);
        Tcl_SetObjResult(interp, Tcl_ObjPrintf("cannot write \"%s\": %s", Tcl_GetString(objv[1]),
                                               Tcl_ErrnoMsg(failure)));
    } catch (const std::exception& exception) {
        Tcl_SetObjResult(interp, Tcl_NewStringObj(exception.what(), -1));
    }
    return TCL_ERROR;
}

}  // namespace

void InstallDurableFileCommand(Tcl_Interp* interp) {
    Tcl_CreateObjCommand(interp, "::kelvodsp::WriteFileDurably", WriteFileDurablyCommand, nullptr, nullptr);
}

}  // namespace appmgr
