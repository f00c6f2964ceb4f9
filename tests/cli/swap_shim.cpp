// Preloaded into the shell (LD_PRELOAD), this plays someone else who may write the output
// directory: whenever the process opens, by name and for writing, a file named like a mkstemp
// temporary file (NAME.XXXXXX), the shim first puts a symbolic link to $KW_VICTIM at that name,
// as such a user could between the temporary file's creation and its reopening.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool NamedLikeTemporary(const char* path) {
    const char* slash = std::strrchr(path, '/');
    const char* name = slash != nullptr ? slash + 1 : path;
    const std::size_t length = std::strlen(name);
    if (length < 8 || name[length - 7] != '.') {
        return false;
    }
    for (std::size_t i = length - 6; i < length; ++i) {
        if (!std::isalnum(static_cast<unsigned char>(name[i]))) {
            return false;
        }
    }
    return true;
}

void SwapForLink(const char* path) {
    const char* victim = std::getenv("KW_VICTIM");
    if (victim != nullptr && NamedLikeTemporary(path) && ::access(path, F_OK) == 0) {
        ::unlink(path);
        if (::symlink(victim, path) != 0) {
            std::perror("swap_shim");
        }
    }
}

template <typename Function>
Function Next(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

bool Writes(const char* mode) { return std::strpbrk(mode, "wa+") != nullptr; }

mode_t ModeArgument(int flags, va_list arguments) {
    return (flags & (O_CREAT | O_TMPFILE)) != 0 ? static_cast<mode_t>(va_arg(arguments, int)) : 0;
}

}  // namespace

extern "C" {

FILE* fopen(const char* path, const char* mode) {
    if (Writes(mode)) SwapForLink(path);
    return Next<FILE* (*)(const char*, const char*)>("fopen")(path, mode);
}

FILE* fopen64(const char* path, const char* mode) {
    if (Writes(mode)) SwapForLink(path);
    return Next<FILE* (*)(const char*, const char*)>("fopen64")(path, mode);
}

int open(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeArgument(flags, arguments);
    va_end(arguments);
    if ((flags & (O_WRONLY | O_RDWR)) != 0) SwapForLink(path);
    return Next<int (*)(const char*, int, ...)>("open")(path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeArgument(flags, arguments);
    va_end(arguments);
    if ((flags & (O_WRONLY | O_RDWR)) != 0) SwapForLink(path);
    return Next<int (*)(const char*, int, ...)>("open64")(path, flags, mode);
}

}  // extern "C"
