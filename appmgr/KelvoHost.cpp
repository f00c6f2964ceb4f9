// The in-process KelvoDSP host: one Tcl interpreter with the host commands (the embedded host
// scripts), the loaded plug-ins and the applications they registered.
#include "KelvoHost.h"

#include <dlfcn.h>

#include <exception>
#include <stdexcept>

#include "DurableFileCommand.h"
#include "FreshInterpCommand.h"
#include "ScriptCheckCommands.h"
#include "TclRuntime.h"

extern const char* const kKelvoHostScript;  // generated from the host's Tcl scripts

namespace {

KelvoHost* g_currentHost = nullptr;

using EntryPoint = int (*)();

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
}

void SetMessage(std::string* message, const std::string& text) {
    if (message != nullptr) {
        *message = text;
    }
}

}  // namespace

KelvoHost::KelvoHost() : m_interp(nullptr), m_previous(g_currentHost) {
    appmgr::EnsureTclLibrary();
    m_interp = Tcl_CreateInterp();
    // Without the Tcl library scripts the core commands still work; only auto-loaded ones are missing.
    Tcl_Init(m_interp);
    Tcl_ResetResult(m_interp);
    InstallHostCommands();
    g_currentHost = this;
    appmgr::SetCurrentInterp(m_interp);
}

KelvoHost::~KelvoHost() {
    ExitPlugins();
    Tcl_DeleteInterp(m_interp);
    m_apps.clear();
    for (auto plugin = m_plugins.rbegin(); plugin != m_plugins.rend(); ++plugin) {
        dlclose(plugin->handle);
    }
    g_currentHost = m_previous;
    appmgr::SetCurrentInterp(m_previous != nullptr ? m_previous->m_interp : nullptr);
}

KelvoHost* KelvoHost::Current() { return g_currentHost; }

void KelvoHost::InstallHostCommands() {
    Tcl_CreateNamespace(m_interp, "::kelvodsp", nullptr, nullptr);
    appmgr::InstallDurableFileCommand(m_interp);
    appmgr::InstallScriptCheckCommands(m_interp);
    appmgr::InstallFreshInterpCommand(m_interp);
    if (Tcl_SetVar2(m_interp, "::kelvodsp::version", nullptr, KW_PRODUCT_VERSION, TCL_GLOBAL_ONLY) == nullptr) {
        throw std::runtime_error("KelvoDSP host: cannot set the product version");
    }
    if (Tcl_EvalEx(m_interp, kKelvoHostScript, -1, TCL_EVAL_GLOBAL) != TCL_OK) {
        // The embedded scripts are part of this library; failing to run them is a build fault.
        throw std::runtime_error(std::string("KelvoDSP host scripts failed: ") + Tcl_GetStringResult(m_interp));
    }
    Tcl_ResetResult(m_interp);
}

void KelvoHost::AddPluginDirectory(const std::string& directory) {
    Tcl_Obj* command = Tcl_NewListObj(0, nullptr);
    Tcl_IncrRefCount(command);
    Tcl_ListObjAppendElement(nullptr, command, Tcl_NewStringObj("::kelvodsp::AddPluginDirectory", -1));
    Tcl_ListObjAppendElement(nullptr, command, Tcl_NewStringObj(directory.c_str(), -1));
    Tcl_EvalObjEx(m_interp, command, TCL_EVAL_GLOBAL);
    Tcl_DecrRefCount(command);
    Tcl_ResetResult(m_interp);
}

int KelvoHost::LoadPlugin(const std::string& path, std::string* message) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = dlerror();
        SetMessage(message, "cannot load plug-in " + path + ": " + (reason ? reason : "unknown reason"));
        return 0;
    }
    auto initApp = reinterpret_cast<EntryPoint>(dlsym(handle, "InitApp"));
    auto exitApp = reinterpret_cast<EntryPoint>(dlsym(handle, "ExitApp"));
    if (initApp == nullptr || exitApp == nullptr) {
        dlclose(handle);
        SetMessage(message, "plug-in " + path + " does not export InitApp and ExitApp");
        return 0;
    }
    AddPluginDirectory(DirectoryOf(path));
    m_plugins.push_back(Plugin{path, handle, false});
    int status = kAppInitFailed;
    try {
        status = initApp();
    } catch (const std::exception& exception) {
        SetMessage(message, "plug-in " + path + " failed to initialise: " + exception.what());
        return kAppInitFailed;
    } catch (...) {
        SetMessage(message, "plug-in " + path + " failed to initialise");
        return kAppInitFailed;
    }
    if (status != kAppSuccess) {
        SetMessage(message, "the application of plug-in " + path + " could not be registered (InitApp returned " +
                                std::to_string(status) + ")");
    }
    return status;
}

void KelvoHost::ExitPlugins() {
    for (auto plugin = m_plugins.rbegin(); plugin != m_plugins.rend(); ++plugin) {
        if (plugin->exited) {
            continue;
        }
        plugin->exited = true;
        auto exitApp = reinterpret_cast<EntryPoint>(dlsym(plugin->handle, "ExitApp"));
        try {
            exitApp();
        } catch (...) {
            // A plug-in that throws on its way out must not stop the others from exiting.
        }
    }
}

std::pair<int, std::string> KelvoHost::Eval(const std::string& script) {
    const int code = Tcl_EvalEx(m_interp, script.data(), static_cast<int>(script.size()), TCL_EVAL_GLOBAL);
    std::string text = Tcl_GetStringResult(m_interp);
    Tcl_ResetResult(m_interp);
    return {code, text};
}

CKelvoApp* KelvoHost::AdoptApp(std::unique_ptr<CKelvoApp> app) {
    m_apps.push_back(std::move(app));
    return m_apps.back().get();
}

std::vector<const CKelvoApp*> KelvoHost::Apps() const {
    std::vector<const CKelvoApp*> apps;
    for (const auto& app : m_apps) apps.push_back(app.get());
    return apps;
}
