// rcosflt::Simulate and rcosflt::Report through kelvodsp: the generate command's refusals with its
// texts, Simulate's own refusals of the input list, the report's keys in their order, and
// -report's file and summary line.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "../appmgr/TempDir.h"
#include "HostFixture.h"
#include "ShellRun.h"

namespace {

using kwtest::RunShell;

class ModelCommands : public ::testing::Test {
protected:
    void SetUp() override {
        if (!kwtest::HostFixture::PluginAvailable()) GTEST_SKIP() << "the rcosflt plug-in is not part of this build";
    }
};

constexpr const char* kHeader = "Error while generating KelvoWare Raised-Cosine FIR Filter\n";

// Each row: Simulate's arguments (a Tcl list) and the refusal after the header line; all rows run
// in one shell, which must write nothing.
TEST_F(ModelCommands, SimulateRefusesWithTheGeneratorsTextsAndNamesTheBadElement) {
    const struct {
        std::string arguments;
        std::string refusal;
    } rows[] = {
        {"-ibits 2 -input {1}",
         "Invalid Parameter: Number of Input bits (IBITS) is limited to values between 3 and 32 bits."},
        {"-number_of_channels 2 -form Transposed -resource_shared yes -input {}",
         "Multi-Channel/Resource Shared Transposed form filters are not currently supported."},
        {"-ibits 8 -ifbits 7", "Invalid Parameter: -input is required: a list of input integers."},
        {"-ibits 8 -ifbits 7 -input \"a \\{b\"", "Invalid Parameter: -input is not a list of integers."},
        {"-ibits 8 -ifbits 7 -input {1 2 x}",
         "Invalid Parameter: -input element 2 (\"x\", counting from 0) is not an integer."},
        {"-ibits 8 -ifbits 7 -input {1 0.0}",
         "Invalid Parameter: -input element 1 (\"0.0\", counting from 0) is not an integer."},
        {"-ibits 8 -ifbits 7 -input {0 127 128}",
         "Invalid Parameter: -input element 2 (\"128\", counting from 0) is outside the input range -128 to 127."},
        {"-ibits 8 -ifbits 7 -input {-129}",
         "Invalid Parameter: -input element 0 (\"-129\", counting from 0) is outside the input range -128 to 127."},
        {"-ibits 32 -ifbits 0 -input {4294967295}",
         "Invalid Parameter: -input element 0 (\"4294967295\", counting from 0) is outside the input range "
         "-2147483648 to 2147483647."},
        {"-ibits 8 -ifbits 7 -input {1 99999999999999999999999}",
         "Invalid Parameter: -input element 1 (\"99999999999999999999999\", counting from 0) is outside the input "
         "range -128 to 127."},
        // Integers are decimal, as every integer switch is.
        {"-ibits 8 -ifbits 7 -input {0x10}",
         "Invalid Parameter: -input element 0 (\"0x10\", counting from 0) is not an integer."},
        {"-ibits 8 -ifbits 7 -input {1 0b11}",
         "Invalid Parameter: -input element 1 (\"0b11\", counting from 0) is not an integer."},
        {"-ibits 8 -ifbits 7 -input {0o10}",
         "Invalid Parameter: -input element 0 (\"0o10\", counting from 0) is not an integer."},
        {"-ibits 8 -ifbits 7 -input {0x0}",
         "Invalid Parameter: -input element 0 (\"0x0\", counting from 0) is not an integer."},
        {"-ibits 8 -ifbits 7 -input {1e1}",
         "Invalid Parameter: -input element 0 (\"1e1\", counting from 0) is not an integer."},
        // A NUL inside an element is shown, and the text goes on after it.
        {"-ibits 8 -ifbits 7 -input [list 1 \"5\\x00abc\"]",
         "Invalid Parameter: -input element 1 (\"5\\0abc\", counting from 0) is not an integer."},
    };
    std::string script;
    std::string expected;
    for (const auto& row : rows) {
        script += "catch {rcosflt::Simulate " + row.arguments + "} m; puts -nonewline \"$m|\"\n";
        expected += kHeader + row.refusal + "\n|";
    }
    // The same refusal as the generate command's, word for word.
    script += "catch {rcosflt -ibits 2} g; catch {rcosflt::Simulate -ibits 2 -input {}} s; puts [expr {$g eq $s}]";
    TempDir dir;
    const auto result = RunShell({"-c", script}, "", dir.Path().string());
    ASSERT_EQ(0, result.status) << result.err;
    EXPECT_EQ(expected + "1\n", result.out);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

// Decimal spellings of zero are zeros, a leading zero is no octal; one output per input,
// zero-stuffing included.
TEST_F(ModelCommands, SimulateAnswersOneOutputPerInput) {
    const auto result = RunShell({"-c",
                                  "puts [rcosflt::Simulate -ibits 8 -ifbits 7 -input {+0 -0 00 0 { 0 }}]\n"
                                  "set z [lrepeat 12 0]\n"
                                  "set a [rcosflt::Simulate -fs 2 -delay 1 -input [list 010 08 -010 {*}$z]]\n"
                                  "set b [rcosflt::Simulate -fs 2 -delay 1 -input [list 10 8 -10 {*}$z]]\n"
                                  "set c [rcosflt::Simulate -fs 2 -delay 1 -input [list 8 8 -8 {*}$z]]\n"
                                  "puts [expr {$a eq $b && $a ne $c}]\n"
                                  "puts [llength [rcosflt::Simulate -fs_flag no -input [lrepeat 1001 -5]]]\n"
                                  "puts [rcosflt::Simulate -input {}]"});
    ASSERT_EQ(0, result.status) << result.err;
    EXPECT_EQ("0 0 0 0 0\n1\n1001\n\n", result.out);
}

std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

constexpr const char* kKeys =
    "taps nonzero_taps symmetry latency_calls multipliers adders delay_registers format_in format_coef format_mult "
    "format_out tap_error_lsb tap_error_max peak_tap_bits passband_ripple_db stopband_db passband_ripple_db_designed "
    "stopband_db_designed isi_db ideal_deviation_db max_error_lsb sqnr_db error_bound_lsb output_headroom_bits";

// The dict's keys in their order; -report writes the same figures, one per line after the title,
// and one summary line; Report itself writes nothing and refuses as the generator does.
TEST_F(ModelCommands, ReportKeysFileAndSummary) {
    TempDir dir;
    const std::string switches = "-type sqrt -fs 4 -delay 3 -cbits 10 -seed 7";
    const auto result = RunShell({"-c", "set d [rcosflt::Report " + switches + "]\n"
                                        "puts [dict keys $d]\n"
                                        "puts [dict get $d format_in]\n"
                                        "rcosflt " + switches + " -report -name f\n"
                                        "set f [open f_report.txt]; set lines [split [read -nonewline $f] \\n]; close $f\n"
                                        "foreach line [lrange $lines 1 end] {\n"
                                        "  if {[lrange $line 1 end-[expr {[llength $line] - [llength [dict get $d [lindex $line 0]]] - 1}]] ne [dict get $d [lindex $line 0]]} {puts \"differs: $line\"}\n"
                                        "}\n"
                                        "puts [llength $lines]\n"
                                        "catch {rcosflt::Report -ibits 2} m; puts -nonewline $m"},
                                 "", dir.Path().string());
    ASSERT_EQ(0, result.status) << result.err;
    EXPECT_EQ(std::string(kKeys) + "\n16 15\n25\n" + kHeader +
                  "Invalid Parameter: Number of Input bits (IBITS) is limited to values between 3 and 32 bits.\n",
              result.out);
    EXPECT_NE(std::string::npos, result.err.find("design report written to " + (dir.Path() / "f_report.txt").string() +
                                                 ": 25 taps, stop-band "))
        << result.err;
    EXPECT_EQ(0u, Slurp(dir.Path() / "f_report.txt").find("# Design report of f (KelvoWare Raised-Cosine FIR Filter)\n"));
}

// With -hdl verilog the report ends with the Verilog's clocks per sample (per output), latency in
// clocks and multipliers, the figures the header of F.v states for the same switches: a shared
// core, and polyphase cores (symbols in), whose multipliers are fewer than the MATLAB core's,
// and shared cores with several multipliers side by side at both rates; a
// report refuses more multipliers than the core's non-zero products as the generator does.
TEST_F(ModelCommands, ReportWithVerilogGivesTheHeadersClocks) {
    TempDir dir;
    const std::string script =
        "foreach switches {{-resource_shared yes -hdl_multipliers 1} {-fs 4 -fs_flag no -delay 4} {-fs 8 -fs_flag no -delay 4 -form Transposed}"
        " {-fs 4 -fs_flag no -resource_shared yes} {-resource_shared yes -hdl_multipliers 4}"
        " {-fs 4 -fs_flag no -resource_shared yes -form Transposed -hdl_multipliers 2}} {\n"
        "  set d [rcosflt::Report {*}$switches -hdl verilog]\n"
        "  rcosflt {*}$switches -hdl verilog -name g\n"
        "  set f [open g.v]; set v [read $f]; close $f\n"
        "  regexp {K = (\\d+) clocks? per} $v -> k\n"
        "  regexp {Latency: +(\\d+) clocks} $v -> l\n"
        "  regexp {Resources: +(\\d+) multiplier} $v -> m\n"
        "  puts \"[lrange [dict keys $d] end-3 end] [expr {[dict get $d clocks_per_sample] == $k && "
        "[dict get $d latency_clocks] == $l && [dict get $d hardware_multipliers] == $m}]"
        " [expr {$m < [dict get $d multipliers]}]\"\n"
        "}\n"
        "catch {rcosflt::Report -resource_shared yes -hdl verilog -hdl_multipliers 11} m; puts -nonewline $m\n";
    const auto result = RunShell({"-c", script}, "", dir.Path().string());
    ASSERT_EQ(0, result.status) << result.err;
    const std::string keys = "output_headroom_bits clocks_per_sample latency_clocks hardware_multipliers 1";
    EXPECT_EQ(keys + " 0\n" + keys + " 1\n" + keys + " 1\n" + keys + " 0\n" + keys + " 0\n" + keys + " 0\n" + kHeader +
                  "Invalid Parameter: -hdl_multipliers 11 exceeds the 10 non-zero products per output of this "
                  "resource-shared core (at most 10 multipliers can work side by side).\n\n",
              result.out);
}

}  // namespace
