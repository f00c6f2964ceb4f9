// Runs one call of an application command: argument parsing and checks, "-help", the handler
// on the plug-in's callback object, and the mapping of its status to a Tcl result. This is the
// boundary between Tcl's C frames and C++: every exception is caught here.
#include "CommandDispatch.h"

#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "AppMgr.h"
#include "ArgumentParser.h"
#include "HelpText.h"
#include "KelvoHost.h"

namespace appmgr {
namespace {

// The error codes the dispatcher sets itself: a call refused before its handler runs is a
// refused parameter; a command that cannot run is an internal fault.
const std::vector<std::string> kParameterCode = {"KELVOWARE", "PARAMETER"};
const std::vector<std::string> kInternalCode = {"KELVOWARE", "INTERNAL"};
const std::vector<std::string> kShownCode = {"KELVODSP", "SHOWN"};

void SetErrorCode(Tcl_Interp* interp, const std::vector<std::string>& words) {
    Tcl_Obj* code = Tcl_NewListObj(0, nullptr);
    for (const std::string& word : words) {
        Tcl_ListObjAppendElement(nullptr, code, Tcl_NewStringObj(word.data(), static_cast<int>(word.size())));
    }
    Tcl_SetObjErrorCode(interp, code);
}

int SetError(Tcl_Interp* interp, const std::string& message, const std::vector<std::string>& code) {
    Tcl_SetObjResult(interp, Tcl_NewStringObj(message.data(), static_cast<int>(message.size())));
    SetErrorCode(interp, code);
    return TCL_ERROR;
}

// "-help" alone or followed by the switch to describe, unless the command has a "-help" of its own.
bool AsksForHelp(const CAppCommand& command, const std::vector<Tcl_Obj*>& words) {
    if (words.empty() || words.size() > 2 || std::string(Tcl_GetString(words[0])) != "-help") {
        return false;
    }
    for (const CCmdParameter* parameter : command.GetAllParameters()) {
        if (parameter->GetSwitchName() == "-help") {
            return false;
        }
    }
    return true;
}

// A failure without an error code of its own whose text the handler has already shown as the
// host's error line carries {KELVODSP SHOWN}, so that a shell need not print it twice.
bool AlreadyShown(const std::string& text) {
    const KelvoHost* host = KelvoHost::Current();
    if (host == nullptr || text.empty()) {
        return false;
    }
    return host->LastErrorLine() == (text.back() == '\n' ? text : text + '\n');
}

int RunHandler(const CAppCommand& command, Tcl_Interp* interp, CCmdArguments& arguments) {
    CTclResultObj result;
    if (KelvoHost* host = KelvoHost::Current()) {
        host->ForgetErrorLine();
    }
    const int status = (command.GetCallBack()->*command.GetHandler())(&arguments, &result);
    if (status == kAppSuccess) {
        Tcl_SetObjResult(interp, result.GetObj());
        return TCL_OK;
    }
    if (status == kAppCommandFailed) {
        Tcl_SetObjResult(interp, result.GetObj());
        if (!result.GetErrorCode().empty()) {
            SetErrorCode(interp, result.GetErrorCode());
        } else if (AlreadyShown(result.GetStringValue())) {
            SetErrorCode(interp, kShownCode);
        }
        return TCL_ERROR;
    }
    return SetError(interp, command.GetName() + " failed with status " + std::to_string(status) + ": " +
                                result.GetStringValue(), kInternalCode);
}

int Dispatch(const CAppCommand& command, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    const std::vector<Tcl_Obj*> words(objv + 1, objv + objc);
    if (AsksForHelp(command, words)) {
        const std::string name = Tcl_GetString(objv[0]);
        std::string help = HelpText(command, name) + RelatedCommandsText(command);
        if (words.size() == 2) {
            const std::string wanted = Tcl_GetString(words[1]);
            const std::optional<std::string> one = SwitchHelpText(command, name, wanted);
            if (!one) {
                return SetError(interp, "unknown switch \"" + wanted + "\" for " + name + "; \"" + name +
                                            " -help\" lists its switches",
                                kParameterCode);
            }
            help = *one;
        }
        Tcl_SetObjResult(interp, Tcl_NewStringObj(help.data(), static_cast<int>(help.size())));
        return TCL_OK;
    }
    CCmdArguments arguments;
    std::string error;
    if (!ParseArguments(command, words, arguments, error)) {
        return SetError(interp, error, kParameterCode);
    }
    if (command.GetCallBack() == nullptr || command.GetHandler() == nullptr) {
        return SetError(interp, command.GetName() + " has no handler", kInternalCode);
    }
    return RunHandler(command, interp, arguments);
}

}  // namespace

int AppCommandProc(ClientData clientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    const auto* command = static_cast<const CAppCommand*>(clientData);
    try {
        return Dispatch(*command, interp, objc, objv);
    } catch (const std::exception& exception) {
        return SetError(interp, command->GetName() + ": internal error: " + exception.what(), kInternalCode);
    } catch (...) {
        return SetError(interp, command->GetName() + ": internal error: unknown exception", kInternalCode);
    }
}

}  // namespace appmgr
