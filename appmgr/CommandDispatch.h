// The Tcl command procedure behind every published application command.
#pragma once

#include <tcl.h>

namespace appmgr {

// clientData is the CAppCommand. Parses and checks the arguments, answers "-help", calls the
// handler and turns its status into the Tcl result. No C++ exception leaves this function.
int AppCommandProc(ClientData clientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]);

}  // namespace appmgr
