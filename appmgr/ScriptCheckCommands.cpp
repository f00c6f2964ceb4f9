// "::kelvodsp::RequireUtf8" and "::kelvodsp::RequireNestingWithin".
#include "ScriptCheckCommands.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "ScriptNesting.h"
#include "Utf8Check.h"

namespace appmgr {
namespace {

int Refuse(Tcl_Interp* interp, const std::string& text, const char* code) {
    Tcl_SetObjResult(interp, Tcl_NewStringObj(text.data(), static_cast<int>(text.size())));
    Tcl_SetErrorCode(interp, "KELVODSP", code, nullptr);
    return TCL_ERROR;
}

int RequireUtf8Command(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    if (objc != 2) {
        Tcl_WrongNumArgs(interp, 1, objv, "bytes");
        return TCL_ERROR;
    }
    int length = 0;
    const unsigned char* data = Tcl_GetByteArrayFromObj(objv[1], &length);
    const std::string_view bytes(reinterpret_cast<const char*>(data), static_cast<std::size_t>(length));
    const auto invalid = FirstInvalidUtf8Byte(bytes);
    if (!invalid) return TCL_OK;
    return Refuse(interp, "not valid UTF-8 at " + DescribeInvalidByte(bytes, *invalid), "ENCODING");
}

int RequireNestingWithinCommand(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    int limit = 0;
    if (objc != 3) {
        Tcl_WrongNumArgs(interp, 1, objv, "text limit");
        return TCL_ERROR;
    }
    if (Tcl_GetIntFromObj(interp, objv[2], &limit) != TCL_OK) return TCL_ERROR;
    int length = 0;
    const char* text = Tcl_GetStringFromObj(objv[1], &length);
    const std::string_view script(text, static_cast<std::size_t>(length));
    const auto beyond = FirstOffsetBeyondNesting(script, limit);
    if (!beyond) return TCL_OK;
    const auto line = 1 + std::count(script.begin(), script.begin() + static_cast<std::ptrdiff_t>(*beyond), '\n');
    return Refuse(interp,
                  "brackets and braces nest deeper than " + std::to_string(limit) + " levels at line " +
                      std::to_string(line),
                  "NESTING");
}

}  // namespace

void InstallScriptCheckCommands(Tcl_Interp* interp) {
    Tcl_CreateObjCommand(interp, "::kelvodsp::RequireUtf8", RequireUtf8Command, nullptr, nullptr);
    Tcl_CreateObjCommand(interp, "::kelvodsp::RequireNestingWithin", RequireNestingWithinCommand, nullptr, nullptr);
}

}  // namespace appmgr
