// Fuzz target: one whole "rcosflt" generate command, in-process on the host with the plug-in
// registered, with switch values chosen by the fuzz bytes. Byte i picks the value of switch i
// from its candidates (good values, edge values and refusals) or leaves it out; bytes past the
// table become the -name text (read as a script's text; path separators and "~" dropped, so files
// stay in the scratch folder). The table holds the generator's parameters and the common options,
// the hardware, report and output options among them. A run either succeeds, leaves a core file
// and every file it announced complete (with -hdl verilog its Verilog, with -report its report,
// beside the core), or fails with a message; either way it leaves no temporary file and the shell
// still answers afterwards. The scratch folder is wiped after each run.
#include <tcl.h>

#include <filesystem>
#include <string>
#include <vector>

#include <stdlib.h>

#include "FuzzSupport.h"
#include "OutputCheck.h"
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
        {"-hdl", {"verilog", "vhdl", "", "VERILOG", "verilog "}},
        {"-report", {""}},
        {"-seed", {"1", "0", "-1", "010", "0x10", "2147483647", "-2147483648", "2147483648"}},
        {"-hdl_products", {"multiplier", "shiftadd", "x"}},
        {"-hdl_multipliers", {"1", "2", "0", "-1", "64", "1000"}},
        {"-hdl_stream", {"plain", "axis", ""}},
        {"-output_round", {"floor", "round", "nearest", "convergent", "ceil", "fix", "Floor"}},
        {"-output_overflow", {"wrap", "saturate", "clip"}},
        {"-coef_scale", {"unity", "max", "x"}},
        {"-stopband_from", {"0.6", "1", "0", "-1", "nan", "1e300", "2.0"}},
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
        kwfuzz::RecordMessages();
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

bool Has(const std::vector<std::string>& words, const std::string& word) {
    for (const std::string& w : words) {
        if (w == word) return true;
    }
    return false;
}

std::string ValueOf(const std::vector<std::string>& words, const std::string& switchName) {
    for (std::size_t i = 0; i + 1 < words.size(); ++i) {
        if (words[i] == switchName) return words[i + 1];
    }
    return "";
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// A successful run announced its core; the files the switches ask for lie beside it.
void CheckSuccess(const std::vector<std::string>& words, const std::vector<kwfuzz::Announcement>& announced) {
    std::vector<std::string> cores;
    for (const kwfuzz::Announcement& announcement : announced) {
        if (EndsWith(announcement.what, ": core function")) cores.push_back(announcement.path);
    }
    if (cores.size() == 1 && !EndsWith(cores[0], ".m")) kwfuzz::Fail("a core announced without .m: " + cores[0]);
    if (cores.size() != 1) kwfuzz::Fail("a successful run announced " + std::to_string(cores.size()) + " cores");
    const std::string stem = cores[0].substr(0, cores[0].size() - 2);
    std::error_code error;
    if (ValueOf(words, "-hdl") == "verilog" && !std::filesystem::is_regular_file(stem + ".v", error)) {
        kwfuzz::Fail("-hdl verilog succeeded without " + stem + ".v");
    }
    if (Has(words, "-report") && !std::filesystem::is_regular_file(stem + "_report.txt", error)) {
        kwfuzz::Fail("-report succeeded without " + stem + "_report.txt");
    }
    if (!std::filesystem::is_regular_file(stem + ".kvd", error)) kwfuzz::Fail("a core without its directives");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Plugin plugin;
    std::string result;
    const std::vector<std::string> words = CommandWords(data, size);
    const int code = kwfuzz::Evaluate(words, result);
    const std::vector<kwfuzz::Announcement> announced = kwfuzz::TakeAnnouncements();
    kwfuzz::CheckAnnouncedFiles(announced, Scratch());
    if (code == TCL_OK) CheckSuccess(words, announced);
    if (code != TCL_OK && result.empty()) kwfuzz::Fail("failure without a message");
    kwfuzz::CheckNoLeftovers(Scratch());
    if (kwfuzz::Evaluate({"rcosflt::GetShortName"}, result) != TCL_OK || result != "rcosflt") {
        kwfuzz::Fail("the shell no longer answers after a run: " + result);
    }
    kwfuzz::Wipe(Scratch());
    return 0;
}
