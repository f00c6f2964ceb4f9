// The in-process KelvoDSP host: owns the one Tcl interpreter with the host commands, loads
// plug-ins with dlopen (InitApp on load; ExitApp and dlclose on destruction) and owns the
// applications they create. The shell and the tests run one KelvoHost; every AppMgr object
// evaluates in the interpreter of the current host.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "AppMgr.h"

struct Tcl_Interp;

class APPMGR_API KelvoHost {
public:
    KelvoHost();  // becomes the current host
    ~KelvoHost();
    KelvoHost(const KelvoHost&) = delete;
    KelvoHost& operator=(const KelvoHost&) = delete;

    // The running host (the most recently constructed one that still lives), or nullptr.
    static KelvoHost* Current();

    // Loads the plug-in at path and calls its InitApp. Returns InitApp's status (1 registered,
    // 3 refused), or 0 when the library or its entry points cannot be found; message says why.
    int LoadPlugin(const std::string& path, std::string* message = nullptr);
    // Calls ExitApp of every loaded plug-in (once, newest first); the libraries stay mapped.
    void ExitPlugins();

    // A folder where "AppMgr::GetKPDFile NAME" looks for NAME.kpd (plug-in folders are added
    // by LoadPlugin itself).
    void AddPluginDirectory(const std::string& directory);

    // Evaluates a script at global level: the Tcl return code and the result (or error) text.
    std::pair<int, std::string> Eval(const std::string& script);
    Tcl_Interp* Interp() const { return m_interp; }

    // Host side: the applications that plug-ins created (CAppMgr::NewApp).
    CKelvoApp* AdoptApp(std::unique_ptr<CKelvoApp> app);
    std::vector<const CKelvoApp*> Apps() const;

    // The text of the last error line shown (CAppMgr::SendMsg type 2, without its "ERROR: "
    // prefix, ending in a line break); empty after ForgetErrorLine. A command whose error
    // result repeats it need not be printed again by a shell.
    void NoteErrorLine(const std::string& text) { m_lastErrorLine = text; }
    const std::string& LastErrorLine() const { return m_lastErrorLine; }
    void ForgetErrorLine() { m_lastErrorLine.clear(); }

private:
    struct Plugin {
        std::string path;
        void* handle;
        bool exited;
    };

    void InstallHostCommands();

    Tcl_Interp* m_interp;
    KelvoHost* m_previous;
    std::vector<Plugin> m_plugins;
    std::vector<std::unique_ptr<CKelvoApp>> m_apps;
    std::string m_lastErrorLine;
};
