// The host command that writes the host's own files (saved projects) the way the generators
// write theirs: complete or not at all, and on disk before the name points at it.
#pragma once

#include <tcl.h>

namespace appmgr {

// Creates "::kelvodsp::WriteFileDurably PATH TEXT": TEXT, in UTF-8, goes to a fresh temporary
// file beside PATH through the descriptor that made it, is flushed to disk and renamed over
// PATH, and the directory is flushed too. PATH keeps its permissions; a directory or a file that
// may not be written is not replaced. A failure leaves PATH as it was and is a Tcl error with
// the POSIX error code.
void InstallDurableFileCommand(Tcl_Interp* interp);

}  // namespace appmgr
