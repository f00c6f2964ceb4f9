// A host command that evaluates a script in a fresh interpreter on a thread of its own, with a
// stack of a fixed size: what the script may nest is then bounded by the host's own limits,
// not by the stack the process happened to be started with (ulimit -s).
#pragma once

#include <tcl.h>

namespace appmgr {

// Creates "::kelvodsp::EvalInFreshInterp SCRIPT": evaluates SCRIPT in a new interpreter without
// the Tcl library scripts, on a new thread with a 64 MiB stack, and answers its result or fails
// with its error text. Only text crosses between the threads.
void InstallFreshInterpCommand(Tcl_Interp* interp);

}  // namespace appmgr
