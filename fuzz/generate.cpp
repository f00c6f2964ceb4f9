// Fuzz target: one whole "rcosflt" generate command, in-process on the host with the plug-in
// registered, with switch values chosen by the fuzz bytes. Byte i picks the value of switch i
// from its candidates (good values, edge values and refusals) or leaves it out; bytes past the
// table become the -name text (read as a script's text; path separators and "~" dropped, so files stay in the scratch
// folder). A run either succeeds and leaves a non-empty core file, or fails with a message;
// either way the shell still answers afterwards. The scratch folder is wiped after each run.
#include <tcl.h>

#include <filesystem>
#include <string>
#include <vector>

#include <stdlib.h>

#include "FuzzSupport.h"
#include "plugin/CKWDesignCallBack.h"

namespace {

struct SwitchChoice {
    const char* switchName;
    std::vector<const char*> values;  // "" for a bare boolean switch
};

const std::vector<SwitchChoice>& Switches() {
    static const std::vector<SwitchChoice> switches{
        {"-fs", {"4", "8", "2", "3", "0", "-4", "nan", "inf", "1e300", "4.5", "1e-300", "16", "2.0000001"}},
        {"-fd", {"1", "2", "0.5", "0", "-1", "nan", "-inf", "1e300", "1e-300", "3"}},
        {"-r_val", {"0.5", "0.35", "1", "0", "-0.1", "1.0000001", "nan", "inf", "1e-30", "1e300"}},
        {"-type", {"normal", "sqrt"}},
        {"-fs_flag", {"yes", "no"}},
        {"-delay", {"1", "2", "3", "0", "-1", "2147483647", "40"}},
        {"-ibits", {"16", "3", "2", "32", "33", "0", "-5", "12"}},
        {"-ifbits", {"15", "0", "-1", "11", "31", "32", "2"}},
        {"-cbits", {"16", "6", "5", "20", "21", "14", "0"}},
        {"-trunc", {"0", "1", "15", "16", "-1", "5"}},
        {"-form", {"Direct", "Transposed"}},
        {"-resource_shared", {"no", "yes"}},
        {"-number_of_channels", {"1", "2", "3", "0", "-1", "64"}},
        {"-obits", {"auto", "4", "32", "33", "3", "0", "-1", "16", "x", "auto auto", "1e3", "{", ""}},
        {"-ofbits", {"auto", "0", "15", "-1", "31", "32", "3", "y", "[exec false]", ""}},
        {"-no_mults", {"no", "yes"}},
        {"-project", {""}},
        {"-nosubdir", {""}},
        {"-forcenum", {"1", "0", "-1", "999", "2147483647"}},
    };
    return switches;
}

const std::string& Scratch() {
    static const std::string folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "kwfuzzgenXXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) kwfuzz::Fail("no scratch folder");
        return pattern;
    }();
    return folder;
}

// The plug-in, registered once per process; unregistered and the scratch folder removed at exit.
struct Plugin {
    Plugin() {
        (void)Scratch();  // made first, so it still exists when this object goes
        kwfuzz::Host();
        if (kw::InitPlugin() != kAppSuccess) kwfuzz::Fail("rcosflt could not be registered");
    }
    ~Plugin() {
        kw::ExitPlugin();
        std::error_code ignored;
        std::filesystem::remove_all(Scratch(), ignored);
    }
};

std::vector<std::string> CommandWords(const uint8_t* data, size_t size) {
    std::vector<std::string> words{"rcosflt", "-outdir", Scratch()};
    const auto& switches = Switches();
    size_t i = 0;
    for (; i < size && i < switches.size(); ++i) {
        const SwitchChoice& choice = switches[i];
        const size_t pick = data[i] % (choice.values.size() + 1);
        if (pick == choice.values.size()) continue;  // left out
        words.push_back(choice.switchName);
        if (std::string(choice.values[pick]) != "" || choice.values.size() > 1) words.push_back(choice.values[pick]);
    }
    std::string name;
    for (; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c != '/' && c != '~') name += c;
    }
    if (!name.empty() && name.find("..") == std::string::npos) {
        words.push_back("-name");
        words.push_back(kwfuzz::HostText(name));
    }
    return words;
}

int Evaluate(const std::vector<std::string>& words, std::string& result) {
    Tcl_Interp* interp = kwfuzz::Host().Interp();
    Tcl_Obj* command = Tcl_NewListObj(0, nullptr);
    Tcl_IncrRefCount(command);
    for (const std::string& word : words) {
        Tcl_ListObjAppendElement(nullptr, command, Tcl_NewStringObj(word.data(), static_cast<int>(word.size())));
    }
    const int code = Tcl_EvalObjEx(interp, command, TCL_EVAL_GLOBAL);
    Tcl_DecrRefCount(command);
    result = Tcl_GetStringResult(interp);
    return code;
}

bool HasNonEmptyCore() {
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(Scratch(), error)) {
        if (entry.is_regular_file() && entry.path().extension() == ".m" && entry.file_size() > 0) return true;
    }
    return false;
}

void WipeScratch() {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(Scratch(), ignored)) {
        std::filesystem::remove_all(entry.path(), ignored);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Plugin plugin;
    std::string result;
    const int code = Evaluate(CommandWords(data, size), result);
    if (code == TCL_OK && !HasNonEmptyCore()) kwfuzz::Fail("success reported without a core file");
    if (code != TCL_OK && result.empty()) kwfuzz::Fail("failure without a message");
    if (Evaluate({"rcosflt::GetShortName"}, result) != TCL_OK || result != "rcosflt") {
        kwfuzz::Fail("the shell no longer answers after a run: " + result);
    }
    WipeScratch();
    return 0;
}
