// The process-wide Tcl state of the host library: one-time library set-up and the current
// host's interpreter.
#include "TclRuntime.h"

namespace appmgr {
namespace {
Tcl_Interp* g_currentInterp = nullptr;
}

void EnsureTclLibrary() {
    static const bool initialised = [] {
        Tcl_FindExecutable(nullptr);
        // File names, script files and channels all use UTF-8 whatever the locale, the encoding
        // plug-ins use when they open files themselves: one name never becomes two files.
        Tcl_SetSystemEncoding(nullptr, "utf-8");
        return true;
    }();
    (void)initialised;
}

Tcl_Interp* CurrentInterp() { return g_currentInterp; }

void SetCurrentInterp(Tcl_Interp* interp) { g_currentInterp = interp; }

}  // namespace appmgr
