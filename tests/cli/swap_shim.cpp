// Preloaded into the shell (LD_PRELOAD), this plays someone else who may write the output
// directory: when the process opens a file named like a mkstemp file (NAME.XXXXXX) by name for
// writing, a symbolic link to $KW_VICTIM is put at that name first.
#include <dlfcn.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

FILE* SwapThenOpen(const char* function, const char* path, const char* mode) {
    const char* victim = std::getenv("KW_VICTIM");
    const std::size_t length = std::strlen(path);
    bool temporary = victim != nullptr && std::strpbrk(mode, "wa+") != nullptr && length > 7 &&
                     path[length - 7] == '.' && ::access(path, F_OK) == 0;
    for (std::size_t i = length - 6; temporary && i < length; ++i) {
        temporary = std::isalnum(static_cast<unsigned char>(path[i])) != 0;
    }
    if (temporary && (::unlink(path) != 0 || ::symlink(victim, path) != 0)) {
        std::perror("swap_shim");
    }
    return reinterpret_cast<FILE* (*)(const char*, const char*)>(::dlsym(RTLD_NEXT, function))(path, mode);
}

}  // namespace

extern "C" FILE* fopen(const char* path, const char* mode) { return SwapThenOpen("fopen", path, mode); }
extern "C" FILE* fopen64(const char* path, const char* mode) { return SwapThenOpen("fopen64", path, mode); }
