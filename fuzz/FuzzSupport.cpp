// The fuzzing run's host and input helpers (see FuzzSupport.h).
#include "FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include <tcl.h>

// Present in sanitizer builds: prints on the sanitizers' report stream, which a fuzzing run keeps
// when it closes the program's own standard error (-close_fd_mask).
extern "C" __attribute__((weak)) void __sanitizer_report_error_summary(const char* summary);

namespace kwfuzz {

KelvoHost& Host() {
    static const std::unique_ptr<KelvoHost> host = [] {
        auto started = std::make_unique<KelvoHost>();
        started->AddPluginDirectory(KW_SOURCE_DIR "/src/plugin");
        return started;
    }();
    return *host;
}

std::string Text(const uint8_t* data, size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

std::string HostText(const std::string& bytes) {
    Host();
    Tcl_DString converted;
    Tcl_ExternalToUtfDString(Tcl_GetEncoding(nullptr, "utf-8"), bytes.data(), static_cast<int>(bytes.size()),
                             &converted);
    std::string text(Tcl_DStringValue(&converted), static_cast<size_t>(Tcl_DStringLength(&converted)));
    Tcl_DStringFree(&converted);
    return text;
}

std::vector<std::string> Split(const uint8_t* data, size_t size, char separator) {
    std::vector<std::string> fields(1);
    for (size_t i = 0; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == separator) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

void Fail(const std::string& what) {
    const std::string summary = "fuzz property broken: " + what;
    std::fprintf(stderr, "%s\n", summary.c_str());
    std::fflush(stderr);
    if (__sanitizer_report_error_summary != nullptr) __sanitizer_report_error_summary(summary.c_str());
    std::abort();
}

int Evaluate(const std::vector<std::string>& words, std::string& result) {
    Tcl_Interp* interp = Host().Interp();
    Tcl_Obj* command = Tcl_NewListObj(0, nullptr);
    Tcl_IncrRefCount(command);
    for (const std::string& word : words) {
        Tcl_ListObjAppendElement(nullptr, command, Tcl_NewStringObj(word.data(), static_cast<int>(word.size())));
    }
    const int code = Tcl_EvalObjEx(interp, command, TCL_EVAL_GLOBAL);
    Tcl_DecrRefCount(command);
    result = Tcl_GetStringResult(interp);
    return code;
}

}  // namespace kwfuzz
