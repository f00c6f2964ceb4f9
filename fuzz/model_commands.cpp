// Fuzz target: rcosflt::Simulate and rcosflt::Report in-process, with generator switches chosen
// by the fuzz bytes as in the generate target. Byte 0 picks the command and how -input is made;
// bytes 1.. pick the switches; the rest is the input list: one element per byte from a table of
// integer spellings (decimal, leading zeros, signs, blanks, other bases, floats, overlong, NUL),
// or the bytes as the list's raw text. Properties: neither command writes a file (the working
// directory, where a relative name would land, keeps its names) or leaves the shell unable to
// answer; Simulate succeeds only when every element is a decimal integer of the
// input range (and names the first element that is not), and answers one integer per element;
// Report answers its figures in their order, the clocks only with -hdl verilog.
#include <tcl.h>

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include <stdlib.h>

#include "FuzzSupport.h"
#include "OutputCheck.h"
#include "plugin/CKWDesignCallBack.h"

namespace {

struct SwitchChoice {
    const char* switchName;
    std::vector<const char*> values;
};

// Only switches that keep one call short: at most 511 taps and 64 channels.
const std::vector<SwitchChoice>& Switches() {
    static const std::vector<SwitchChoice> switches{
        {"-fs", {"4", "8", "2", "0", "nan", "4.5"}},
        {"-fd", {"1", "2", "0.5"}},
        {"-r_val", {"0.5", "0.22", "1", "0"}},
        {"-type", {"normal", "sqrt"}},
        {"-fs_flag", {"yes", "no"}},
        {"-delay", {"1", "2", "3", "0", "31", "64"}},
        {"-ibits", {"16", "3", "8", "32", "33", "2"}},
        {"-ifbits", {"15", "0", "7", "31"}},
        {"-cbits", {"16", "6", "20", "21"}},
        {"-trunc", {"0", "1", "5", "-1"}},
        {"-form", {"Direct", "Transposed"}},
        {"-resource_shared", {"no", "yes"}},
        {"-number_of_channels", {"1", "2", "3", "64", "0"}},
        {"-obits", {"auto", "8", "32", "x"}},
        {"-no_mults", {"no", "yes"}},
        {"-seed", {"1", "0", "-1", "010", "0x10", "2147483647"}},
        {"-hdl", {"verilog", "vhdl", ""}},
    };
    return switches;
}

// Element spellings: decimal ones, and ones that are no decimal integer.
struct Spelling {
    const char* text;
    bool decimal;
    long long value;
};

const std::vector<Spelling>& Spellings() {
    static const std::vector<Spelling> spellings{
        {"0", true, 0},          {"1", true, 1},          {"-1", true, -1},         {"010", true, 10},
        {"08", true, 8},         {"-0", true, 0},         {"+5", true, 5},          {" 7 ", true, 7},
        {"127", true, 127},      {"-128", true, -128},    {"128", true, 128},       {"32767", true, 32767},
        {"-32768", true, -32768}, {"32768", true, 32768}, {"2147483647", true, 2147483647LL},
        {"-2147483648", true, -2147483648LL},             {"2147483648", true, 2147483648LL},
        {"99999999999999999999", true, 0},                {"0x10", false, 0},       {"0b11", false, 0},
        {"0o10", false, 0},      {"1e3", false, 0},       {"1.0", false, 0},        {"", false, 0},
        {"- 1", false, 0},       {"abc", false, 0},       {"5\xc0\x80x", false, 0}, {"inf", false, 0},
    };
    return spellings;
}

constexpr std::size_t kOverlong = 17;  // index of the spelling beyond every int64

// The names in the working directory: a model command that wrote a file by mistake would add one.
std::set<std::string> WorkingDirectoryNames() {
    std::set<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(".", error)) names.insert(entry.path().string());
    return names;
}

// The plug-in, registered once for the process.
struct Plugin {
    Plugin() {
        kwfuzz::Host();
        if (kw::InitPlugin() != kAppSuccess) kwfuzz::Fail("rcosflt could not be registered");
    }
    ~Plugin() { kw::ExitPlugin(); }
};

struct Call {
    bool simulate = true;
    std::vector<std::string> words;
    std::vector<int> elements;  // spelling indexes, when the list was made from the table
    bool raw = false;
    int inputBits = 16;
};

Call MakeCall(const uint8_t* data, size_t size) {
    Call call;
    if (size == 0) return call;
    call.simulate = (data[0] & 1) == 0;
    call.raw = (data[0] & 2) != 0;
    call.words.push_back(call.simulate ? "rcosflt::Simulate" : "rcosflt::Report");
    const auto& switches = Switches();
    size_t i = 1;
    for (; i < size && i - 1 < switches.size(); ++i) {
        const SwitchChoice& choice = switches[i - 1];
        const size_t pick = data[i] % (choice.values.size() + 1);
        if (pick == choice.values.size()) continue;
        call.words.push_back(choice.switchName);
        call.words.push_back(choice.values[pick]);
        if (std::string(choice.switchName) == "-ibits") call.inputBits = std::atoi(choice.values[pick]);
    }
    if (!call.simulate) return call;
    call.words.push_back("-input");
    if (call.raw) {
        call.words.push_back(kwfuzz::HostText(std::string(reinterpret_cast<const char*>(data + i), size - i)));
        return call;
    }
    std::string list;
    for (; i < size; ++i) {
        const int index = data[i] % static_cast<int>(Spellings().size());
        call.elements.push_back(index);
        Tcl_Obj* element = Tcl_NewStringObj(Spellings()[static_cast<size_t>(index)].text, -1);
        Tcl_Obj* one = Tcl_NewListObj(1, &element);
        Tcl_IncrRefCount(one);
        list += (list.empty() ? "" : " ") + std::string(Tcl_GetString(one));
        Tcl_DecrRefCount(one);
    }
    call.words.push_back(list);
    return call;
}

bool InRange(const Spelling& spelling, size_t index, int bits) {
    if (!spelling.decimal || index == kOverlong) return false;
    const long long high = (1LL << (bits - 1)) - 1;
    return spelling.value >= -high - 1 && spelling.value <= high;
}

// The first element that must be refused, or -1.
int FirstRefused(const Call& call) {
    for (size_t k = 0; k < call.elements.size(); ++k) {
        const auto index = static_cast<size_t>(call.elements[k]);
        if (!InRange(Spellings()[index], index, call.inputBits)) return static_cast<int>(k);
    }
    return -1;
}

std::vector<std::string> ListOf(const std::string& text) {
    std::vector<std::string> items;
    Tcl_Obj* list = Tcl_NewStringObj(text.data(), static_cast<int>(text.size()));
    Tcl_IncrRefCount(list);
    int count = 0;
    Tcl_Obj** elements = nullptr;
    if (Tcl_ListObjGetElements(nullptr, list, &count, &elements) != TCL_OK) kwfuzz::Fail("answer is no list: " + text);
    for (int i = 0; i < count; ++i) items.emplace_back(Tcl_GetString(elements[i]));
    Tcl_DecrRefCount(list);
    return items;
}

bool IsDecimalInteger(const std::string& text) {
    size_t at = text.size() > 1 && text[0] == '-' ? 1 : 0;
    if (at == text.size()) return false;
    for (; at < text.size(); ++at) {
        if (text[at] < '0' || text[at] > '9') return false;
    }
    return true;
}

void CheckSimulate(const Call& call, int code, const std::string& result) {
    if (call.raw) {
        if (code == TCL_OK) {
            for (const std::string& y : ListOf(result)) {
                if (!IsDecimalInteger(y)) kwfuzz::Fail("Simulate answered a non-integer: " + y);
            }
        }
        return;
    }
    const int refused = FirstRefused(call);
    if (code == TCL_OK) {
        if (refused >= 0) kwfuzz::Fail("Simulate took element " + std::to_string(refused) + ": " + result);
        const std::vector<std::string> outputs = ListOf(result);
        if (outputs.size() != call.elements.size()) kwfuzz::Fail("Simulate answered a different number of outputs");
        for (const std::string& y : outputs) {
            if (!IsDecimalInteger(y)) kwfuzz::Fail("Simulate answered a non-integer: " + y);
        }
        return;
    }
    // A refusal of the list names an element: the first that is no integer of the range.
    const std::string marker = "-input element ";
    const size_t at = result.find(marker);
    if (at != std::string::npos && std::atoi(result.c_str() + at + marker.size()) != refused) {
        kwfuzz::Fail("Simulate refused another element than the first bad one (" + std::to_string(refused) +
                     "): " + result);
    }
}

void CheckReport(const Call& call, int code, const std::string& result) {
    if (code != TCL_OK) return;
    const std::vector<std::string> items = ListOf(result);
    const char* const first[] = {"taps", "nonzero_taps", "symmetry", "latency_calls"};
    if (items.size() < 44 || items.size() % 2 != 0) kwfuzz::Fail("Report answered too few figures: " + result);
    for (size_t k = 0; k < 4; ++k) {
        if (items[2 * k] != first[k]) kwfuzz::Fail("Report's figures out of order: " + result);
    }
    bool clocks = false;
    for (size_t k = 0; k < items.size(); k += 2) clocks = clocks || items[k] == "clocks_per_sample";
    bool verilog = false;
    for (size_t k = 0; k + 1 < call.words.size(); ++k) {
        verilog = verilog || (call.words[k] == "-hdl" && call.words[k + 1] == "verilog");
    }
    if (clocks != verilog) kwfuzz::Fail("Report's clocks do not follow -hdl verilog: " + result);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Plugin plugin;
    const Call call = MakeCall(data, size);
    if (call.words.empty()) return 0;
    const std::set<std::string> before = WorkingDirectoryNames();
    std::string result;
    const int code = kwfuzz::Evaluate(call.words, result);
    if (code != TCL_OK && result.empty()) kwfuzz::Fail("failure without a message");
    if (call.simulate) {
        CheckSimulate(call, code, result);
    } else {
        CheckReport(call, code, result);
    }
    if (WorkingDirectoryNames() != before) kwfuzz::Fail("a model command wrote a file");
    if (kwfuzz::Evaluate({"rcosflt::GetShortName"}, result) != TCL_OK || result != "rcosflt") {
        kwfuzz::Fail("the shell no longer answers after a call: " + result);
    }
    return 0;
}
