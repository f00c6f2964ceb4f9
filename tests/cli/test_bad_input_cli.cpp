// Hostile and odd argument values through the kelvodsp shell: every generator switch and the
// common options with empty, non-numeric, NaN, infinite, negative, zero, huge, fractional and
// overlong values, unknown switches, missing values, and path and name texts full of Tcl and
// shell characters. A refusal gives its exact message and writes nothing; an accepted odd text
// writes where it should; either way a clean run afterwards in the same interpreter succeeds
// and reproduces the reference core byte for byte.
#include <gtest/gtest.h>

#include "../appmgr/TempDir.h"
#include "CliScript.h"
#include "HostFixture.h"
#include "ShellRun.h"

namespace {

using kwtest::kGenerateErrorLead;
using kwtest::ReadText;
using kwtest::RunShell;
using kwtest::Split;

// Runs the case's arguments (the script's argv) inside catch, lists the tree before and after,
// then a clean generate in the same interpreter; fields are separated by \x1f.
const char* const kCaseScript = R"TCL(
proc kwtree {dir} {
    set paths {}
    foreach f [lsort [glob -nocomplain -directory $dir -- * .*]] {
        if {[file tail $f] in {. ..}} continue
        lappend paths $f
        if {[file isdirectory $f] && [file type $f] ne "link"} {lappend paths {*}[kwtree $f]}
    }
    return $paths
}
set before [kwtree .]
set code [catch {rcosflt {*}$argv} msg]
set after [kwtree .]
set directive [lindex [GetDirectives] end 0]
set good [catch {rcosflt -outdir __good -name good_core} goodMsg]
puts -nonewline [join [list $code $msg [join $before \n] [join $after \n] $directive $good $goodMsg] \x1f]
)TCL";

struct InputCase {
    std::string label;
    std::vector<std::string> arguments;
    std::string error;         // the exact error; empty when the call must succeed
    std::string writes = "";   // for a success: a file that must exist afterwards (relative)
    std::string directive = "";  // for a success: the instance path the host was given
};

void PrintTo(const InputCase& c, std::ostream* os) { *os << c.label; }

std::string Invalid(const std::string& value, const std::string& switchName, const std::string& expected) {
    return "invalid value \"" + value + "\" for switch " + switchName + ": expected " + expected;
}
std::string Missing(const std::string& switchName, const std::string& expected) {
    return "missing value for switch " + switchName + ": expected " + expected;
}
std::string Unknown(const std::string& word) {
    return "unknown switch \"" + word + "\" for rcosflt; \"rcosflt -help\" lists its switches";
}
std::string Unexpected(const std::string& word) {
    return "unexpected argument \"" + word + "\" for rcosflt; \"rcosflt -help\" lists its switches";
}
std::string Refused(const std::string& message) { return kGenerateErrorLead + message + "\n"; }
std::string BadName(const std::string& name) {
    return Refused("Invalid Parameter: -name \"" + name +
                   "\" is not a valid MATLAB function name (a letter, then letters, digits or underscores, at "
                   "most 63 characters).\n");
}

const std::string kFloat = "a floating-point number";
const std::string kInteger = "a decimal integer from -2147483648 to 2147483647";
const std::string kRatio = "Invalid Parameter: The ratio Fs/Fs must be an integer value between [2 and 8].";
const std::string kExcess =
    "Invalid Parameter: The excess bandwidth factor (R) must be greater than 0 and less than or equal to 1.";
const std::string kDelay = "Invalid Parameter: The Delay parameter must be greater than 0.";
const std::string kTaps =
    "Invalid Parameter: Number of taps in the filter (1+2*Delay*Fs/Fd) must be less than or equal to 511.";
const std::string kIbits = "Invalid Parameter: Number of Input bits (IBITS) is limited to values between 3 and 32 bits.";
const std::string kIfbits = "Invalid Parameter: Number of Fractional Input bits (IFBITS) must be less than IBITS.";
const std::string kCbits =
    "Invalid Parameter: Number of bits for Coefficients (CBITS) is limited to values between 6 and 20 bits.";
const std::string kTrunc =
    "Invalid Parameter: Number of bits Truncated after multiplies (Trunc) is limited to values between 0 and "
    "(CBITS-1) bits.";
const std::string kChannels = "Invalid Parameter: Number of channels must be greater than zero.";
const std::string kChannelsTooMany =
    "Invalid Parameter: Number of channels is limited to at most 1024 (interleaved channels of one core).";
const std::string kObitsRange =
    "Invalid Parameter: Number of Output bits (OBITS) is limited to values between 4 and 32 bits.";
const std::string kObitsInteger = "Invalid Parameter: Number of Output bits (OBITS) must be a positive integer.";
const std::string kObitsOne = "Invalid Parameter: Number of Output bits (OBITS) only take one parameter.";
const std::string kOfbitsInteger =
    "Invalid Parameter: Number of Fractional Output bits (m_OFBITS) must be a positive integer.";
const std::string kOfbitsBelowObits =
    "Invalid Parameter: Number of Fractional Output bits (OFBITS) must be less than OBITS.";
const std::string kOverlongDigits(400, '9');
const std::string kOverlongText(5000, 'x');

std::vector<InputCase> FloatCases() {
    std::vector<InputCase> cases;
    struct Row {
        std::string sw, value, message;
    };
    const std::vector<Row> rows = {
        {"-fs", "", Invalid("", "-fs", kFloat)},
        {"-fs", "abc", Invalid("abc", "-fs", kFloat)},
        {"-fs", "nan", Invalid("nan", "-fs", kFloat)},
        {"-fs", "inf", Refused(kRatio)},
        {"-fs", "-inf", Refused(kRatio)},
        {"-fs", "-4", Refused(kRatio)},
        {"-fs", "0", Refused(kRatio)},
        {"-fs", "1e300", Refused(kRatio)},
        {"-fs", "4.5", Refused(kRatio)},
        {"-fs", "4 4", Invalid("4 4", "-fs", kFloat)},
        {"-fs", kOverlongDigits, Refused(kRatio)},
        {"-fd", "", Invalid("", "-fd", kFloat)},
        {"-fd", "x1", Invalid("x1", "-fd", kFloat)},
        {"-fd", "NaN", Invalid("NaN", "-fd", kFloat)},
        {"-fd", "inf", Refused(kRatio)},
        {"-fd", "-1", Refused(kRatio)},
        {"-fd", "0", Refused(kRatio)},
        {"-fd", "1e300", Refused(kRatio)},
        {"-fd", "1e-300", Refused(kRatio)},
        {"-fd", "1.5", Refused(kRatio)},
        {"-r_val", "", Invalid("", "-r_val", kFloat)},
        {"-r_val", "half", Invalid("half", "-r_val", kFloat)},
        {"-r_val", "nan", Invalid("nan", "-r_val", kFloat)},
        {"-r_val", "inf", Refused(kExcess)},
        {"-r_val", "-0.5", Refused(kExcess)},
        {"-r_val", "0", Refused(kExcess)},
        {"-r_val", "1e300", Refused(kExcess)},
        {"-r_val", "1.01", Refused(kExcess)},
        {"-r_val", kOverlongText, Invalid(kOverlongText, "-r_val", kFloat)},
    };
    for (const Row& row : rows) {
        cases.push_back({row.sw + "_" + row.value.substr(0, 12), {row.sw, row.value}, row.message});
    }
    cases.push_back({"fd_half_gives_ratio_8", {"-fd", "0.5"}, "", "__good/good_core.m"});
    return cases;
}

std::vector<InputCase> IntegerCases() {
    struct Row {
        std::string sw, value, message;
    };
    const std::string huge = "2147483647";
    const std::string tooHuge = "2147483648";
    std::vector<Row> rows;
    for (const std::string sw : {"-delay", "-ibits", "-ifbits", "-cbits", "-trunc", "-number_of_channels"}) {
        rows.push_back({sw, "", Invalid("", sw, kInteger)});
        rows.push_back({sw, "abc", Invalid("abc", sw, kInteger)});
        rows.push_back({sw, "nan", Invalid("nan", sw, kInteger)});
        rows.push_back({sw, "inf", Invalid("inf", sw, kInteger)});
        rows.push_back({sw, "1.5", Invalid("1.5", sw, kInteger)});
        rows.push_back({sw, tooHuge, Invalid(tooHuge, sw, kInteger)});
        rows.push_back({sw, kOverlongDigits, Invalid(kOverlongDigits, sw, kInteger)});
    }
    const std::vector<Row> checked = {
        {"-delay", "-1", Refused(kDelay)},         {"-delay", "0", Refused(kDelay)},
        {"-delay", huge, Refused(kTaps)},          {"-delay", "-2147483648", Refused(kDelay)},
        {"-ibits", "-1", Refused(kIbits)},         {"-ibits", "0", Refused(kIbits)},
        {"-ibits", huge, Refused(kIbits)},         {"-ifbits", "-1", Refused(kIfbits)},
        {"-ifbits", huge, Refused(kIfbits)},       {"-cbits", "-1", Refused(kCbits)},
        {"-cbits", "0", Refused(kCbits)},          {"-cbits", huge, Refused(kCbits)},
        {"-trunc", "-1", Refused(kTrunc)},         {"-trunc", "16", Refused(kTrunc)},
        {"-trunc", huge, Refused(kTrunc)},         {"-number_of_channels", "-1", Refused(kChannels)},
        {"-number_of_channels", "0", Refused(kChannels)},
        {"-number_of_channels", huge, Refused(kChannelsTooMany)},
    };
    rows.insert(rows.end(), checked.begin(), checked.end());
    std::vector<InputCase> cases;
    for (const Row& row : rows) {
        cases.push_back({row.sw + "_" + row.value.substr(0, 12), {row.sw, row.value}, row.message});
    }
    // Integers are decimal only.
    cases.push_back({"ibits_hex", {"-ibits", "0x10"}, Invalid("0x10", "-ibits", kInteger)});
    return cases;
}

std::vector<InputCase> SelectionCases() {
    const std::vector<std::pair<std::string, std::string>> switches = {
        {"-type", "one of normal, sqrt"},   {"-fs_flag", "one of yes, no"},
        {"-form", "one of Direct, Transposed"}, {"-resource_shared", "one of no, yes"},
        {"-no_mults", "one of no, yes"},
    };
    std::vector<InputCase> cases;
    for (const auto& [sw, expected] : switches) {
        for (const std::string& value : {std::string(), std::string("YES"), std::string("nan"), std::string("yes "),
                                        kOverlongText}) {
            cases.push_back({sw + "_" + value.substr(0, 12), {sw, value}, Invalid(value, sw, expected)});
        }
    }
    return cases;
}

std::vector<InputCase> OutputBitsCases() {
    return {
        {"obits_empty", {"-obits", ""}, Refused(kObitsInteger)},
        {"obits_text", {"-obits", "abc"}, Refused(kObitsInteger)},
        {"obits_nan", {"-obits", "nan"}, Refused(kObitsInteger)},
        {"obits_inf", {"-obits", "inf"}, Refused(kObitsInteger)},
        {"obits_minus_huge", {"-obits", "-1e12"}, Refused(kObitsInteger)},
        {"obits_zero", {"-obits", "0"}, Refused(kObitsRange)},
        {"obits_huge", {"-obits", "1e10"}, Refused(kObitsInteger)},
        {"obits_fraction", {"-obits", "12.5"}, Refused(kObitsInteger)},
        {"obits_two_words", {"-obits", "12 13"}, Refused(kObitsOne)},
        {"obits_overlong", {"-obits", kOverlongDigits}, Refused(kObitsRange)},
        {"ofbits_empty", {"-obits", "12", "-ofbits", ""}, Refused(kOfbitsInteger)},
        {"ofbits_text", {"-obits", "12", "-ofbits", "x"}, Refused(kOfbitsInteger)},
        {"ofbits_nan", {"-obits", "12", "-ofbits", "nan"}, Refused(kOfbitsInteger)},
        {"ofbits_inf", {"-obits", "12", "-ofbits", "inf"}, Refused(kOfbitsInteger)},
        {"ofbits_huge", {"-obits", "12", "-ofbits", "1e10"}, Refused(kOfbitsInteger)},
        {"ofbits_leading_zero", {"-obits", "12", "-ofbits", "03"}, Refused(kOfbitsInteger)},
        {"ofbits_plus", {"-obits", "12", "-ofbits", "+3"}, Refused(kOfbitsInteger)},
        {"ofbits_not_below_obits", {"-obits", "12", "-ofbits", "12"}, Refused(kOfbitsBelowObits)},
        {"ofbits_big_integer", {"-obits", "12", "-ofbits", "2147483647"}, Refused(kOfbitsBelowObits)},
        {"ofbits_overlong", {"-obits", "12", "-ofbits", kOverlongDigits}, Refused(kOfbitsInteger)},
    };
}

// Integers are decimal whatever their spelling; -obits is a decimal number or auto. A -name the
// generated files would break on, and a testbench of more than 2^31-1 samples, are refused.
std::vector<InputCase> HardeningCases() {
    const auto name = [](const std::string& value, const std::string& why) {
        return Refused("Invalid Parameter: -name \"" + value + "\" " + why);
    };
    return {
        {"delay_hexadecimal", {"-delay", "0x10"}, Invalid("0x10", "-delay", kInteger)},
        {"forcenum_leading_zero_is_decimal", {"-forcenum", "010"}, "", "rcosflt_010.m"},
        {"obits_trailing_text", {"-obits", "16abc"}, Refused(kObitsInteger)},
        {"obits_hexadecimal", {"-obits", "0x10"}, Refused(kObitsInteger)},
        {"name_kw_psd_beside_its_helper", {"-project", "-nosubdir", "-name", "kw_psd"},
         name("kw_psd", "is the testbench's helper kw_psd.m, which the project run writes beside the core.")},
        {"name_rcosflt_in_a_project", {"-project", "-nosubdir", "-name", "rcosflt"},
         name("rcosflt", "would shadow the function rcosflt that the generated testbench calls.")},
        {"name_quantize", {"-name", "quantize"},
         name("quantize", "is a function the generated core calls: the core would call itself.")},
        {"channels_beyond_the_bound", {"-project", "-fs", "8", "-number_of_channels", "1048576"},
         Refused(kChannelsTooMany)},
    };
}

std::vector<InputCase> CommonOptionCases() {
    const std::string odd[] = {"my fir",  "a\"b",     "a{b",      "a}b",  "{ab}",      "a[b]c", "[pwd]",
                               "$env(HOME)", "a\\b",  "a\nb",     "caf\xc3\xa9", "x;y", std::string(64, 'a')};
    std::vector<InputCase> cases;
    for (const std::string& name : odd) {
        cases.push_back({"name_" + name.substr(0, 10), {"-name", name}, BadName(name)});
    }
    const std::string dirs[] = {"out dir", "out\"q", "out{b", "out}b", "[out]", "$out", "out\\b",
                                "out\nline", "dossi\xc3\xa9r", "\xce\xb1\xce\xb2\xce\xb3"};
    for (const std::string& dir : dirs) {
        cases.push_back({"outdir_" + dir, {"-outdir", dir}, "", dir + "/rcosflt_001.m"});
        cases.push_back({"instancepath_" + dir, {"-instancepath", dir}, "", "rcosflt_001.m", dir});
    }
    cases.push_back({"outdir_empty_is_here", {"-outdir", ""}, "", "rcosflt_001.m"});
    cases.push_back({"name_empty_is_numbered", {"-name", ""}, "", "rcosflt_001.m"});
    cases.push_back({"name_with_extension", {"-name", "fir.m"}, "", "fir.m"});
    cases.push_back({"forcenum_highest", {"-forcenum", "2147483647"}, "", "rcosflt_2147483647.m"});
    cases.push_back({"forcenum_zero", {"-forcenum", "0"}, "", "rcosflt_000.m"});
    cases.push_back({"forcenum_big", {"-forcenum", "1000"}, "", "rcosflt_1000.m"});
    cases.push_back({"project_and_odd_outdir", {"-project", "-outdir", "p [q] {r}"}, "",
                     "p [q] {r}/rcosflt_001/rcosflt_001_proj.kvp"});
    for (const char* value : {"", "abc", "1.5", "2147483648"}) {
        cases.push_back({std::string("forcenum_") + value, {"-forcenum", value}, Invalid(value, "-forcenum", kInteger)});
    }
    cases.push_back({"forcenum_negative", {"-forcenum", "-5"},
                     Refused("Invalid Parameter: -forcenum must be 0 or greater.")});
    cases.push_back({"forcenum_lowest", {"-forcenum", "-2147483648"},
                     Refused("Invalid Parameter: -forcenum must be 0 or greater.")});
    return cases;
}

// The hardware, output-quantizer and report options: values outside their choices, and options
// that would do nothing in the run they are given to.
std::vector<InputCase> HardwareAndArithmeticOptionCases() {
    const std::string needsVerilog = " needs -hdl verilog (without a hardware core it would do nothing).\n";
    const std::vector<std::string> verilog = {"-hdl", "verilog"};
    auto exceeds = [](const std::string& m, int products) {
        const std::string p = std::to_string(products);
        return "Invalid Parameter: -hdl_multipliers " + m + " exceeds the " + p +
               " non-zero products per output of this resource-shared core (at most " + p +
               " multipliers can work side by side).\n";
    };
    auto with = [](std::vector<std::string> base, std::initializer_list<std::string> more) {
        base.insert(base.end(), more);
        return base;
    };
    return {
        {"hdl_products_without_hdl", {"-hdl_products", "shiftadd"}, Refused("Invalid Parameter: -hdl_products" + needsVerilog)},
        {"hdl_stream_without_hdl", {"-hdl_stream", "plain"}, Refused("Invalid Parameter: -hdl_stream" + needsVerilog)},
        {"hdl_multipliers_without_hdl", {"-hdl_multipliers", "1", "-resource_shared", "yes"},
         Refused("Invalid Parameter: -hdl_multipliers" + needsVerilog)},
        {"hdl_products_unknown", with(verilog, {"-hdl_products", "lut"}),
         Refused("Invalid Parameter: -hdl_products \"lut\" is not a way of building constant products (multiplier "
                 "or shiftadd).\n")},
        {"hdl_stream_unknown", with(verilog, {"-hdl_stream", "AXIS"}),
         Refused("Invalid Parameter: -hdl_stream \"AXIS\" is not a stream interface (plain or axis).\n")},
        {"hdl_multipliers_zero", with(verilog, {"-hdl_multipliers", "0", "-resource_shared", "yes"}),
         Refused("Invalid Parameter: -hdl_multipliers \"0\" is not a number of multipliers (a decimal integer, 1 "
                 "or more).\n")},
        {"hdl_multipliers_hexadecimal", with(verilog, {"-hdl_multipliers", "0x2", "-resource_shared", "yes"}),
         Refused("Invalid Parameter: -hdl_multipliers \"0x2\" is not a number of multipliers (a decimal integer, "
                 "1 or more).\n")},
        {"hdl_multipliers_on_a_parallel_core", with(verilog, {"-hdl_multipliers", "2"}),
         Refused("Invalid Parameter: -hdl_multipliers applies to resource-shared cores (a fully parallel core has "
                 "a product for every tap).")},
        // P, the non-zero products per output: zero taps skipped and mirror pairs counted once (the
        // default 25-tap raised cosine: 13 pairs and middle, 3 of them zero), every distinct tap of
        // the root raised cosine, the busiest phase of the polyphase interpolator.
        {"hdl_multipliers_above_the_products", with(verilog, {"-hdl_multipliers", "11", "-resource_shared", "yes"}),
         Refused(exceeds("11", 10))},
        {"hdl_multipliers_above_the_root_products",
         with(verilog, {"-hdl_multipliers", "14", "-resource_shared", "yes", "-type", "sqrt"}), Refused(exceeds("14", 13))},
        {"hdl_multipliers_above_the_polyphase_products",
         with(verilog, {"-hdl_multipliers", "7", "-resource_shared", "yes", "-fs_flag", "no"}), Refused(exceeds("7", 6))},
        {"hdl_multipliers_side_by_side", with(verilog, {"-hdl_multipliers", "10", "-resource_shared", "yes"}), "",
         "rcosflt_001.v"},
        {"hdl_multipliers_one", with(verilog, {"-hdl_multipliers", "1", "-resource_shared", "yes"}), "", "rcosflt_001.v"},
        {"shiftadd_on_a_shared_core", with(verilog, {"-hdl_products", "shiftadd", "-resource_shared", "yes"}),
         Refused("Invalid Parameter: -hdl_products shiftadd needs a fully parallel core (a resource-shared core's "
                 "coefficient changes from clock to clock, so it keeps real multipliers).")},
        {"shiftadd_on_a_direct_polyphase_core", with(verilog, {"-hdl_products", "shiftadd", "-fs_flag", "no"}),
         Refused("Invalid Parameter: -hdl_products shiftadd on a core fed at the symbol rate (-fs_flag no) needs "
                 "the transposed form (-form Transposed): the direct polyphase interpolator's coefficients change "
                 "with the phase, so it keeps real multipliers; the transposed one takes every product of the "
                 "symbol from one adder graph.")},
        {"shiftadd_on_a_transposed_polyphase_core",
         with(verilog, {"-hdl_products", "shiftadd", "-fs_flag", "no", "-form", "Transposed"}), "", "rcosflt_001.v"},
        {"output_round_unknown", {"-output_round", "up"},
         Refused("Invalid Parameter: -output_round \"up\" is not an output rounding mode (floor, round, nearest, "
                 "convergent, ceil or fix).\n")},
        {"output_overflow_unknown", {"-output_overflow", "clip"},
         Refused("Invalid Parameter: -output_overflow \"clip\" is not an output overflow mode (wrap or "
                 "saturate).\n")},
        {"coef_scale_unknown", {"-coef_scale", "2"},
         Refused("Invalid Parameter: -coef_scale \"2\" is not a coefficient scaling (unity or max).\n")},
        {"coef_scale_max_multiplier_free", {"-coef_scale", "max", "-no_mults", "yes"},
         Refused("Invalid Parameter: -coef_scale max cannot be used with -no_mults yes (the two-term coefficients "
                 "are not scaled).")},
        {"stopband_from_hexadecimal", {"-report", "-stopband_from", "0x1"},
         Refused("Invalid Parameter: -stopband_from \"0x1\" is not a positive decimal number.\n")},
        {"stopband_from_negative", {"-report", "-stopband_from", "-1"},
         Refused("Invalid Parameter: -stopband_from \"-1\" is not a positive decimal number.\n")},
        {"stopband_from_beyond_half_fs", {"-report", "-stopband_from", "2.5"},
         Refused("Invalid Parameter: -stopband_from must lie above 0 and at most at Fs/2.")},
        {"stopband_from_at_half_fs", {"-report", "-stopband_from", "2"}, "", "rcosflt_001_report.txt"},
    };
}

std::vector<InputCase> SwitchCases() {
    return {
        {"unknown_switch", {"-colour", "red"}, Unknown("-colour")},
        {"switch_in_upper_case", {"-FS", "4"}, Unknown("-FS")},
        {"double_dash", {"--fs", "4"}, Unexpected("--fs")},
        {"stray_word", {"-fs", "4", "extra"}, Unexpected("extra")},
        {"project_with_non_boolean", {"-project", "maybe"}, Unexpected("maybe")},
        {"fs_without_value", {"-fs"}, Missing("-fs", kFloat)},
        {"fs_followed_by_switch", {"-fs", "-fd", "1"}, Missing("-fs", kFloat)},
        {"delay_without_value", {"-delay"}, Missing("-delay", kInteger)},
        {"type_without_value", {"-type"}, Missing("-type", "one of normal, sqrt")},
        {"obits_without_value", {"-obits"}, Missing("-obits", "a string")},
        {"name_without_value", {"-name"}, Missing("-name", "a string")},
        {"name_followed_by_switch", {"-name", "-project"}, Missing("-name", "a string")},
        {"outdir_without_value", {"-outdir"}, Missing("-outdir", "a file name")},
        {"instancepath_without_value", {"-instancepath"}, Missing("-instancepath", "a string")},
        {"forcenum_without_value", {"-forcenum"}, Missing("-forcenum", kInteger)},
    };
}

std::vector<InputCase> AllCases() {
    std::vector<InputCase> all;
    for (auto part : {FloatCases(), IntegerCases(), SelectionCases(), OutputBitsCases(), HardeningCases(),
                      CommonOptionCases(), HardwareAndArithmeticOptionCases(), SwitchCases()}) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

std::string ReferenceCore() {
    static const std::string core = [] {
        TempDir dir;
        RunShell({"rcosflt", "-outdir", "__good", "-name", "good_core"}, "", dir.Path().string());
        return ReadText(dir.Path() / "__good" / "good_core.m");
    }();
    return core;
}

class BadInput : public ::testing::TestWithParam<InputCase> {
protected:
    void SetUp() override {
        if (!kwtest::HostFixture::PluginAvailable()) {
            GTEST_SKIP() << "the rcosflt plug-in is not part of this build";
        }
    }
};

TEST_P(BadInput, RefusedWithItsMessageOrWrittenWhereExpectedAndTheShellGoesOn) {
    const InputCase& c = GetParam();
    TempDir dir;
    std::vector<std::string> arguments = {"-c", kCaseScript};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    const auto run = RunShell(arguments, "", dir.Path().string());
    ASSERT_EQ(0, run.status) << run.err;
    const std::vector<std::string> fields = Split(run.out, '\x1f');
    ASSERT_EQ(7u, fields.size()) << run.out;
    const std::string& code = fields[0];
    const std::string& message = fields[1];
    if (!c.error.empty()) {
        EXPECT_EQ("1", code);
        EXPECT_EQ(c.error, message);
        EXPECT_EQ(fields[2], fields[3]) << "files written for a refusal";
        EXPECT_EQ("", fields[2]);
    } else {
        EXPECT_EQ("0", code) << message;
        EXPECT_TRUE(std::filesystem::exists(dir.Path() / c.writes)) << c.writes << "\n" << fields[3];
        EXPECT_EQ(c.directive, fields[4]);
    }
    EXPECT_EQ("0", fields[5]) << fields[6];
    EXPECT_EQ(ReferenceCore(), ReadText(dir.Path() / "__good" / "good_core.m"));

    if (c.error.empty()) {
        return;
    }
    // The same refusal as one shell command: exit status 1, the text on standard error.
    TempDir alone;
    std::vector<std::string> command = {"rcosflt"};
    command.insert(command.end(), c.arguments.begin(), c.arguments.end());
    const auto single = RunShell(command, "", alone.Path().string());
    EXPECT_EQ(1, single.status);
    const std::string tail = kwtest::EndsWith(c.error, "\n") ? c.error : c.error + "\n";
    EXPECT_TRUE(kwtest::EndsWith(single.err, tail)) << single.err;
    EXPECT_TRUE(std::filesystem::is_empty(alone.Path()));
}

std::string CaseName(const ::testing::TestParamInfo<InputCase>& info) {
    std::string name = std::to_string(info.index) + "_";
    for (char c : info.param.label) {
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Shell, BadInput, ::testing::ValuesIn(AllCases()), CaseName);

// Accepted values whose text holds line breaks (blanks around a number are allowed, and Tcl
// reads "\n12\n" as the one list element 12) must not break out of their header comment.
TEST(BadInputComments, ArgumentTextsStayInsideTheirCommentLines) {
    if (!kwtest::HostFixture::PluginAvailable()) {
        GTEST_SKIP() << "the rcosflt plug-in is not part of this build";
    }
    TempDir dir;
    const auto run = RunShell({"rcosflt", "-obits", "\n12\ndisp(666)", "-ofbits", "auto"}, "", dir.Path().string());
    EXPECT_NE(0, run.status) << "a text after the output length was accepted";
    const auto accepted = RunShell({"rcosflt", "-obits", "\n12\n", "-ofbits", "auto", "-fs", "4\n\n", "-delay",
                                    "\r\n3\n"},
                                   "", dir.Path().string());
    ASSERT_EQ(0, accepted.status) << accepted.err;
    const std::string core = ReadText(dir.Path() / "rcosflt_001.m");
    EXPECT_NE(std::string::npos, core.find("%\t\tvalue used \" 12 \"\n")) << core;
    EXPECT_NE(std::string::npos, core.find("%\t\tvalue used \"4  \"\n")) << core;
    EXPECT_NE(std::string::npos, core.find("%\t\tvalue used \"3\"\n")) << core;
}

// The highest number is taken: no number is left, and nothing wraps round.
TEST(BadInputNumbers, NoNumberLeftAfterTheLargestInt) {
    if (!kwtest::HostFixture::PluginAvailable()) {
        GTEST_SKIP() << "the rcosflt plug-in is not part of this build";
    }
    TempDir dir;
    std::ofstream(dir.Path() / "rcosflt_2147483647.m") << "x";
    const auto run = RunShell({"-c", "catch {rcosflt -forcenum 2147483647} msg; puts -nonewline $msg"}, "",
                              dir.Path().string());
    EXPECT_EQ(kGenerateErrorLead + "No free file number is left in " + dir.Path().string() + "\n", run.out);
    EXPECT_EQ(1u, kwtest::Tree(dir.Path()).size());
}

// A directory name in Latin-1 is not taken for its UTF-8 look-alike: "lat\xE9" is refused before
// anything is written, "lat\xC3\xA9" is written as it is.
TEST(BadInputBytes, NameThatIsNotUtf8WritesNothing) {
    if (!kwtest::HostFixture::PluginAvailable()) {
        GTEST_SKIP() << "the rcosflt plug-in is not part of this build";
    }
    TempDir dir;
    const auto refused = RunShell({"rcosflt", "-outdir", "lat\xe9"}, "", dir.Path().string());
    EXPECT_EQ(2, refused.status);
    EXPECT_EQ("kelvodsp: command-line argument 3 is not valid UTF-8 at byte 4 (0xE9)\n", refused.err);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
    ASSERT_EQ(0, RunShell({"rcosflt", "-outdir", "lat\xc3\xa9"}, "", dir.Path().string()).status);
    EXPECT_EQ((std::set<std::string>{"lat\xc3\xa9", "lat\xc3\xa9/rcosflt_001.kvd", "lat\xc3\xa9/rcosflt_001.m"}),
              kwtest::Tree(dir.Path()));
}

// The testbench runner's --seed is a 32-bit seed: every value from 0 to 2^32-1 is taken (then the
// missing script is what stops it), anything else is refused with the range.
TEST(BadInputRunner, SeedsOutsideThirtyTwoBitsAreRefused) {
    const std::string runner = std::string(KW_SOURCE_DIR) + "/octave/run_testbench";
    const struct {
        std::string seed;
        bool taken;
    } cases[] = {
        {"0", true},           {"7", true},           {"007", true},   {"4294967295", true},
        {"04294967295", true}, {"4294967296", false}, {"18446744073709551617", false},
        {"99999999999", false}, {"-1", false},         {"1e3", false},  {"0x10", false},
        {"", false},           {" 5", false},
    };
    for (const auto& c : cases) {
        const auto run = kwtest::RunProgram({"/bin/sh", runner, "--seed", c.seed, "/nonexistent/x_script.m"});
        EXPECT_EQ(2, run.status) << c.seed;
        const std::string expected = c.taken ? "run_testbench: no such file: /nonexistent/x_script.m\n"
                                             : "run_testbench: --seed takes an integer from 0 to 4294967295, not \"" +
                                                   c.seed + "\"\n";
        EXPECT_EQ(expected, run.err) << c.seed;
    }
}

TEST(BadInputTable, HoldsAtLeastAHundredCases) { EXPECT_GE(AllCases().size(), 100u); }

}  // namespace
