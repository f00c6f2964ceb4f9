// The process-wide Tcl state of the host library: the Tcl library's one-time set-up and the
// interpreter of the host that currently runs (every AppMgr object evaluates in that one).
#pragma once

#include <tcl.h>

namespace appmgr {

// Initialises the Tcl library once per process (needed before any Tcl_Obj is made), with UTF-8
// as its system encoding.
void EnsureTclLibrary();

// The interpreter of the running KelvoHost, or nullptr when no host runs.
Tcl_Interp* CurrentInterp();
void SetCurrentInterp(Tcl_Interp* interp);

// Owns one reference of a Tcl value for the lifetime of a scope.
class TclObjRef {
public:
    explicit TclObjRef(Tcl_Obj* obj) : m_obj(obj) { Tcl_IncrRefCount(m_obj); }
    ~TclObjRef() { Tcl_DecrRefCount(m_obj); }
    TclObjRef(const TclObjRef&) = delete;
    TclObjRef& operator=(const TclObjRef&) = delete;
    Tcl_Obj* get() const { return m_obj; }

private:
    Tcl_Obj* m_obj;
};

}  // namespace appmgr
