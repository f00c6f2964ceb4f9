// CAppMgr: creates applications (owned by the running host), publishes their commands as Tcl
// commands, and shows message lines on standard error.
#include <cstdio>
#include <string>
#include <vector>

#include "AppMgr.h"
#include "CommandDispatch.h"
#include "KelvoHost.h"
#include "TclRuntime.h"

namespace {

// Applications created while no host runs (a plug-in driven directly) live for the process.
std::vector<std::unique_ptr<CKelvoApp>>& OrphanApps() {
    static std::vector<std::unique_ptr<CKelvoApp>> apps;
    return apps;
}

// The Tcl name of a command: global commands by their own name, the others in the
// application's namespace.
std::string TclNameOf(const CKelvoApp& app, const CAppCommand& command) {
    if (command.IsGlobalCommand()) {
        return "::" + command.GetName();
    }
    return "::" + app.GetName() + "::" + command.GetName();
}

bool CommandExists(Tcl_Interp* interp, const std::string& name) {
    Tcl_CmdInfo info;
    return Tcl_GetCommandInfo(interp, name.c_str(), &info) != 0;
}

}  // namespace

CKelvoApp* CAppMgr::NewApp(CKelvoAppCallBack* callback, const std::string& name, const std::string& description,
                           bool /*flag1*/, const std::string& /*text*/, bool /*flag2*/) {
    auto app = std::make_unique<CKelvoApp>(callback, name, description);
    if (KelvoHost* host = KelvoHost::Current()) {
        return host->AdoptApp(std::move(app));
    }
    OrphanApps().push_back(std::move(app));
    return OrphanApps().back().get();
}

bool CAppMgr::RegisterCommands(CKelvoApp* app) {
    Tcl_Interp* interp = appmgr::CurrentInterp();
    if (app == nullptr || interp == nullptr || app->GetName().empty()) {
        return false;
    }
    // Refuse as a whole: a second plug-in must not clobber (or half-register over) a command.
    std::vector<std::string> names = {"::" + app->GetName()};
    for (const auto& command : app->GetCommands()) {
        names.push_back(TclNameOf(*app, *command));
    }
    for (const std::string& name : names) {
        if (CommandExists(interp, name)) {
            SendMsg(2, "The commands of " + app->GetName() + " cannot be registered: a command " + name +
                           " exists already.");
            return false;
        }
    }
    const std::string namespaceName = "::" + app->GetName();
    if (Tcl_FindNamespace(interp, namespaceName.c_str(), nullptr, 0) == nullptr) {
        Tcl_CreateNamespace(interp, namespaceName.c_str(), nullptr, nullptr);
    }
    for (const auto& command : app->GetCommands()) {
        Tcl_CreateObjCommand(interp, TclNameOf(*app, *command).c_str(), appmgr::AppCommandProc, command.get(),
                             nullptr);
    }
    return true;
}

// Type 2 is an error line ("ERROR: " + text), 1 a warning line, anything else an info line.
// The host remembers the last error line, so that a shell need not print it twice.
// The text is kept exactly; a text that already names its severity gets no second prefix, and a
// line break is added only when it does not end in one.
void CAppMgr::SendMsg(int type, const std::string& text) {
    const std::string prefix = type == 2 ? "ERROR: " : type == 1 ? "WARNING: " : "INFO: ";
    std::string line = text.compare(0, prefix.size(), prefix) == 0 ? text : prefix + text;
    if (line.back() != '\n') {
        line += '\n';
    }
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    if (type == 2) {
        if (KelvoHost* host = KelvoHost::Current()) {
            host->NoteErrorLine(line.substr(prefix.size()));
        }
    }
}
