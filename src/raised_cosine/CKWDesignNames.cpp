// Function names the raised-cosine generator refuses for "-name": a MATLAB keyword, a function
// its core calls (the core would call itself), a function of the Octave testbench runner, and, when a testbench calls the core by that
// name, the testbench's helper file and every function and variable the testbench uses (the
// core would shadow the function, or the variable would hide the core).
#include <algorithm>
#include <iterator>
#include <string_view>

#include "host/Failure.h"
#include "raised_cosine/CKWDesign.h"

namespace kw {

namespace {

constexpr std::string_view kKeywords[] = {
    "break", "case", "catch", "classdef", "continue", "else", "elseif", "end", "for", "function",
    "global", "if", "otherwise", "parfor", "persistent", "return", "spmd", "switch", "try", "while"};

constexpr std::string_view kCoreFunctions[] = {"isempty", "quantize", "quantizer", "zeros"};

// Called by the testbench script and by kw_psd.m.
constexpr std::string_view kTestbenchFunctions[] = {
    "abs",     "axis",   "ceil",  "close",   "cos",    "disp",     "error",   "exist",  "fft",
    "figure",  "find",   "floor", "grid",    "hold",   "isreal",   "kron",    "legend", "length",
    "linspace", "log10", "max",   "mean",    "min",    "nargin",   "nargout", "num2str", "ones",
    "pi",      "plot",   "rand",  "rcosflt", "rem",    "reshape",  "save",    "size",   "sprintf",
    "sqrt",    "text",   "title", "warndlg", "warning", "xcorr",   "xlabel",  "ylabel"};

constexpr std::string_view kTestbenchVariables[] = {
    "NUM_SAMPLES", "Pin",     "Pout",     "Pref",        "SigInput", "W",       "Win",     "Wout",
    "amp",         "chans",   "data_out", "data_out_tmp", "dl",      "doubleCoefs", "f",    "fmax",
    "fmin",        "fpnt",    "freq",     "gensig",      "ii",       "lc",      "matoutref", "mx",
    "n",           "pref",    "psig",     "qin",         "rcmin",    "rctrn",   "refgain", "refsig",
    "refspec",     "temp",    "temptext", "vecerror",    "xc"};

constexpr std::string_view kHelperFunction = "kw_psd";

// The functions the Octave testbench runner puts on the path besides quantize, quantizer and
// rcosflt (octave/*.m): a core of that name, beside the testbench it runs, would shadow them.
constexpr std::string_view kRunnerFunctions[] = {"kw_core_parameters", "kw_exact_check", "kw_pow2_pair",
                                                 "kw_reference_fir", "kw_run_testbench"};

template <std::size_t N>
bool Contains(const std::string_view (&names)[N], const std::string& name) {
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

[[noreturn]] void RefuseName(const std::string& name, const std::string& reason) {
    throw ParameterError("Invalid Parameter: -name \"" + name + "\" " + reason);
}

}  // namespace

void CKWDesign::CheckFunctionName(const std::string& name, bool calledByTestbench) const {
    if (Contains(kKeywords, name)) {
        RefuseName(name, "is a MATLAB keyword and cannot name a function.");
    }
    if (Contains(kCoreFunctions, name)) {
        RefuseName(name, "is a function the generated core calls: the core would call itself.");
    }
    if (Contains(kRunnerFunctions, name)) {
        RefuseName(name, "is a function of the Octave testbench runner, which the core would shadow.");
    }
    if (!calledByTestbench) {
        return;
    }
    if (name == kHelperFunction) {
        RefuseName(name, "is the testbench's helper kw_psd.m, which the project run writes beside the core.");
    }
    if (Contains(kTestbenchFunctions, name)) {
        RefuseName(name, "would shadow the function " + name + " that the generated testbench calls.");
    }
    if (Contains(kTestbenchVariables, name)) {
        RefuseName(name, "is a variable of the generated testbench, which could then not call the core.");
    }
}

}  // namespace kw
