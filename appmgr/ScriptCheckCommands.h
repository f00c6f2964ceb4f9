// Host commands that check a script's text before the interpreter decodes or parses it.
#pragma once

#include <tcl.h>

namespace appmgr {

// Creates
//   "::kelvodsp::RequireUtf8 BYTES": an error naming the line and byte of the first ill-formed
//     UTF-8 sequence of the byte array BYTES (error code KELVODSP ENCODING);
//   "::kelvodsp::RequireNestingWithin TEXT LIMIT": an error naming the line at which the script
//     TEXT nests deeper than LIMIT levels (error code KELVODSP NESTING).
void InstallScriptCheckCommands(Tcl_Interp* interp);

}  // namespace appmgr
