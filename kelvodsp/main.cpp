// kelvodsp: the KelvoDSP host shell. Loads the plug-ins of its plug-in folder (and --plugin
// ones), then runs an interactive Tcl shell, a script, an inline script or one command. A
// failing script or command exits with status 1 and its error text on standard error. At exit
// every plug-in's ExitApp runs before its library is unloaded.
#include <tcl.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "KelvoHost.h"
#include "ShellOptions.h"
#include "Utf8Check.h"

namespace {

namespace fs = std::filesystem;

KelvoHost* g_host = nullptr;

// A write beyond the file-size limit (ulimit -f) raises SIGXFSZ, whose default action ends the
// process on the spot: no error, and the run's temporary file left behind. Caught, the write
// fails with EFBIG instead and the run reports the file it could not write. A handler, unlike
// an ignored signal, is not inherited by the programs a script starts.
void NoteFileSizeLimit(int) {}

void TakeFileSizeSignal() {
    struct sigaction action {};
    action.sa_handler = NoteFileSizeLimit;
    sigemptyset(&action.sa_mask);
    sigaction(SIGXFSZ, &action, nullptr);
}

// Tcl decodes bytes that are not UTF-8 leniently (a stray 0xE9 becomes "é"), so a name typed in
// Latin-1 would silently name another file: such bytes are refused before Tcl sees them.
std::optional<std::string> InvalidUtf8Argument(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view word(argv[i]);
        if (const auto invalid = appmgr::FirstInvalidUtf8Byte(word)) {
            return "command-line argument " + std::to_string(i) + " is not valid UTF-8 at " +
                   appmgr::DescribeInvalidByte(word, *invalid);
        }
    }
    return std::nullopt;
}

std::optional<std::string> InvalidUtf8ScriptFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (const auto invalid = appmgr::FirstInvalidUtf8Byte(bytes)) {
        return "script \"" + path + "\" is not valid UTF-8 at " + appmgr::DescribeInvalidByte(bytes, *invalid);
    }
    return std::nullopt;
}

void FlushTclChannels() {
    for (int type : {TCL_STDOUT, TCL_STDERR}) {
        if (Tcl_Channel channel = Tcl_GetStdChannel(type)) {
            Tcl_Flush(channel);
        }
    }
}

// Tcl's "exit": plug-ins leave cleanly (ExitApp) before the process ends.
[[noreturn]] void ExitProc(ClientData code) {
    if (g_host != nullptr) {
        g_host->ExitPlugins();
    }
    FlushTclChannels();
    std::fflush(nullptr);
    std::exit(static_cast<int>(reinterpret_cast<intptr_t>(code)));
}

void ExitProcAdapter(ClientData code) { ExitProc(code); }

// The installed layout (<prefix>/bin/kelvodsp, <prefix>/lib/kelvodsp/plugins) wins over the
// build tree's plug-in folder.
fs::path PluginFolder() {
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (!error) {
        const fs::path installed = executable.parent_path() / ".." / "lib" / "kelvodsp" / "plugins";
        if (fs::is_directory(installed, error)) {
            return installed;
        }
    }
    return KW_BUILD_PLUGIN_DIR;
}

std::vector<std::string> PluginsIn(const fs::path& folder) {
    std::vector<std::string> plugins;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && name.rfind("lib", 0) == 0 && entry.path().extension() == ".so") {
            plugins.push_back(entry.path().string());
        }
    }
    std::sort(plugins.begin(), plugins.end());
    return plugins;
}

void LoadPlugins(KelvoHost& host, const kelvodsp::ShellOptions& options) {
    std::vector<std::string> plugins;
    if (options.defaultPlugins) {
        const fs::path folder = PluginFolder();
        host.AddPluginDirectory(folder.string());
        plugins = PluginsIn(folder);
    }
    plugins.insert(plugins.end(), options.extraPlugins.begin(), options.extraPlugins.end());
    for (const std::string& plugin : plugins) {
        std::string message;
        if (host.LoadPlugin(plugin, &message) != kAppSuccess) {
            std::cerr << "kelvodsp: " << message << std::endl;
        }
    }
}

Tcl_Obj* ListOf(const std::vector<std::string>& words) {
    Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
    for (const std::string& word : words) {
        Tcl_ListObjAppendElement(nullptr, list, Tcl_NewStringObj(word.data(), static_cast<int>(word.size())));
    }
    return list;
}

void SetScriptArguments(Tcl_Interp* interp, const std::string& argv0, const std::vector<std::string>& words) {
    Tcl_SetVar2Ex(interp, "argv0", nullptr, Tcl_NewStringObj(argv0.c_str(), -1), TCL_GLOBAL_ONLY);
    Tcl_SetVar2Ex(interp, "argv", nullptr, ListOf(words), TCL_GLOBAL_ONLY);
    Tcl_SetVar2Ex(interp, "argc", nullptr, Tcl_NewIntObj(static_cast<int>(words.size())), TCL_GLOBAL_ONLY);
}

void WriteResult(Tcl_Interp* interp) {
    Tcl_Obj* result = Tcl_GetObjResult(interp);
    int length = 0;
    Tcl_GetStringFromObj(result, &length);
    if (length > 0) {
        Tcl_Channel out = Tcl_GetStdChannel(TCL_STDOUT);
        Tcl_WriteObj(out, result);
        Tcl_WriteChars(out, "\n", 1);
    }
}

// The interpreter's result in the system encoding, as a Tcl channel would write it (the
// interpreter's own form spells characters beyond U+FFFF and NUL differently).
std::string ResultText(Tcl_Interp* interp) {
    Tcl_DString converted;
    Tcl_UtfToExternalDString(nullptr, Tcl_GetStringResult(interp), -1, &converted);
    std::string text(Tcl_DStringValue(&converted), static_cast<size_t>(Tcl_DStringLength(&converted)));
    Tcl_DStringFree(&converted);
    return text;
}

// An error that a plug-in's command raised (error code KELVOWARE ..., or KELVODSP SHOWN from a
// command without codes of its own) with the text the host has just shown as its error line is
// not printed again; an error a script raises itself always is.
bool ErrorAlreadyShown(Tcl_Interp* interp, const std::string& message) {
    const char* code = Tcl_GetVar2(interp, "::errorCode", nullptr, TCL_GLOBAL_ONLY);
    const std::string text = code != nullptr ? code : "";
    const bool fromCommand = text.rfind("KELVOWARE", 0) == 0 || text == "KELVODSP SHOWN";
    return fromCommand && g_host != nullptr && g_host->LastErrorLine() == message;
}

void PrintError(Tcl_Interp* interp) {
    FlushTclChannels();
    std::string message = ResultText(interp);
    if (message.empty() || message.back() != '\n') {
        message += '\n';
    }
    if (ErrorAlreadyShown(interp, message)) {
        return;
    }
    std::fputs(message.c_str(), stderr);
}

int ReportOutcome(Tcl_Interp* interp, int code) {
    if (code == TCL_OK) {
        return EXIT_SUCCESS;
    }
    PrintError(interp);
    return EXIT_FAILURE;
}

int RunSingleCommand(Tcl_Interp* interp, const std::vector<std::string>& words) {
    Tcl_Obj* command = ListOf(words);
    Tcl_IncrRefCount(command);
    int count = 0;
    Tcl_Obj** objv = nullptr;
    Tcl_ListObjGetElements(nullptr, command, &count, &objv);
    const int code = Tcl_EvalObjv(interp, count, objv, TCL_EVAL_GLOBAL);
    if (code == TCL_OK) {
        WriteResult(interp);
    }
    Tcl_DecrRefCount(command);
    return ReportOutcome(interp, code);
}

int RunInteractive(Tcl_Interp* interp) {
    const bool terminal = isatty(STDIN_FILENO) != 0;
    Tcl_SetVar2(interp, "tcl_interactive", nullptr, terminal ? "1" : "0", TCL_GLOBAL_ONLY);
    Tcl_Channel out = Tcl_GetStdChannel(TCL_STDOUT);
    std::string pending;
    std::string line;
    for (;;) {
        if (terminal) {
            Tcl_WriteChars(out, pending.empty() ? "% " : "> ", -1);
            Tcl_Flush(out);
        }
        if (!std::getline(std::cin, line)) {
            break;
        }
        if (const auto invalid = appmgr::FirstInvalidUtf8Byte(line)) {
            std::cerr << "kelvodsp: input line is not valid UTF-8 at " << appmgr::DescribeInvalidByte(line, *invalid)
                      << "; the command is dropped" << std::endl;
            pending.clear();
            continue;
        }
        pending += line + "\n";
        if (!Tcl_CommandComplete(pending.c_str())) {
            continue;
        }
        const int code = Tcl_EvalEx(interp, pending.c_str(), -1, TCL_EVAL_GLOBAL);
        pending.clear();
        if (code == TCL_OK) {
            WriteResult(interp);
        } else {
            PrintError(interp);
        }
        Tcl_Flush(out);
    }
    return EXIT_SUCCESS;
}

int RunShell(KelvoHost& host, const kelvodsp::ShellOptions& options, const char* argv0) {
    Tcl_Interp* interp = host.Interp();
    switch (options.mode) {
    case kelvodsp::ShellMode::InlineScript:
        SetScriptArguments(interp, argv0, options.words);
        return ReportOutcome(interp, Tcl_EvalEx(interp, options.script.c_str(), -1, TCL_EVAL_GLOBAL));
    case kelvodsp::ShellMode::ScriptFile:
        if (const auto invalid = InvalidUtf8ScriptFile(options.script)) {
            std::cerr << "kelvodsp: " << *invalid << std::endl;
            return EXIT_FAILURE;
        }
        SetScriptArguments(interp, options.script, options.words);
        return ReportOutcome(interp, Tcl_EvalFile(interp, options.script.c_str()));
    case kelvodsp::ShellMode::SingleCommand: return RunSingleCommand(interp, options.words);
    case kelvodsp::ShellMode::Interactive:
        SetScriptArguments(interp, argv0, {});
        return RunInteractive(interp);
    case kelvodsp::ShellMode::Help: std::fputs(kelvodsp::UsageText(), stdout); return EXIT_SUCCESS;
    }
    return EXIT_FAILURE;
}

}  // namespace

int main(int argc, char** argv) {
    TakeFileSizeSignal();
    if (const auto invalid = InvalidUtf8Argument(argc, argv)) {
        std::cerr << "kelvodsp: " << *invalid << std::endl;
        return 2;
    }
    kelvodsp::ShellOptions options;
    std::string error;
    if (!kelvodsp::ParseShellOptions(argc, argv, options, error)) {
        std::cerr << "kelvodsp: " << error << "\n" << kelvodsp::UsageText();
        return 2;
    }
    int status = EXIT_FAILURE;
    {
        Tcl_FindExecutable(argv[0]);
        KelvoHost host;
        g_host = &host;
        Tcl_SetExitProc(ExitProcAdapter);
        LoadPlugins(host, options);
        status = RunShell(host, options, argv[0]);
        FlushTclChannels();
        Tcl_SetExitProc(nullptr);
        g_host = nullptr;
    }
    std::fflush(nullptr);
    return status;
}
