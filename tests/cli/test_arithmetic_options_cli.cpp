// The output quantizer's modes, full-range coefficients, the overflow warning and the stop-band
// start through kelvodsp, as a user drives them: the core's declarations and options line, the
// warning's text, and the report's figures that follow each option.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "../appmgr/TempDir.h"
#include "HostFixture.h"
#include "ShellRun.h"

namespace {

using kwtest::RunShell;

class ArithmeticOptions : public ::testing::Test {
protected:
    void SetUp() override {
        if (!kwtest::HostFixture::PluginAvailable()) GTEST_SKIP() << "the rcosflt plug-in is not part of this build";
    }
};

std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

constexpr const char* kRrc16 = "-type sqrt -fs 8 -delay 4 -cbits 16 -ibits 16 -ifbits 15";

// Each row: the switches of one run, whether it warns, and the text the warning must hold.
TEST_F(ArithmeticOptions, OverflowWarningOnlyWhenTheGivenOutputCanOverflow) {
    const struct {
        std::string switches;
        bool warns;
        std::string text;
    } rows[] = {
        {"-obits 16 -ofbits 15",
         true, "-obits 16 -ofbits 15 can overflow: the worst-case input gives an output of magnitude 1.3649, which "
               "needs -obits 17 at this fraction length; on overflow the output wraps."},
        {"-obits 16 -ofbits 15 -output_overflow saturate", true, "on overflow the output may saturate."},
        {"-obits 17 -ofbits 15", false, ""},
        {"", false, ""},
        {"-coef_scale max", false, ""},
        {"-obits auto -output_round ceil", false, ""},
    };
    for (const auto& row : rows) {
        TempDir dir;
        const auto result =
            RunShell({"-c", "rcosflt " + std::string(kRrc16) + " " + row.switches + " -name f"}, "", dir.Path().string());
        ASSERT_EQ(0, result.status) << row.switches << ": " << result.err;
        EXPECT_EQ(row.warns, result.err.find("COMMAND-0041") != std::string::npos) << row.switches << ": " << result.err;
        if (row.warns) {
            EXPECT_NE(std::string::npos, result.err.find(row.text)) << result.err;
        }
    }
}

// One shell: the report's figures of the cores and of their defaults, printed as
// "key value" lines.
TEST_F(ArithmeticOptions, ReportFollowsEachOption) {
    TempDir dir;
    const std::string rrc65 = "-type sqrt -fs 4 -delay 8 -cbits 12";
    const auto result = RunShell(
        {"-c",
         "proc fig {key args} {puts \"$key [dict get [rcosflt::Report {*}$args] $key]\"}\n"
         "fig output_headroom_bits " + std::string(kRrc16) + " -obits 16 -ofbits 15\n"
         "fig output_headroom_bits " + std::string(kRrc16) + "\n"
         "fig peak_tap_bits " + std::string(kRrc16) + "\n"
         "fig peak_tap_bits " + std::string(kRrc16) + " -coef_scale max\n"
         "fig format_coef " + std::string(kRrc16) + " -coef_scale max\n"
         "fig format_mult " + std::string(kRrc16) + "\n"
         "fig format_mult " + std::string(kRrc16) + " -coef_scale max\n"
         "set u [dict get [rcosflt::Report " + std::string(kRrc16) + "] tap_error_max]\n"
         "set m [dict get [rcosflt::Report " + std::string(kRrc16) + " -coef_scale max] tap_error_max]\n"
         "puts \"full range no worse [expr {$m <= $u}]\"\n"
         "set e [dict get [rcosflt::Report " + rrc65 + "] stopband_db]\n"
         "set p [dict get [rcosflt::Report " + rrc65 + " -stopband_from [expr {1.09 * 1.5 / 2}]] stopband_db]\n"
         "puts \"past the edge lower [expr {$p < $e - 6}]\"\n"
         "fig error_bound_lsb -fs 4 -delay 2 -cbits 10 -obits 12 -ofbits 9\n"
         "fig error_bound_lsb -fs 4 -delay 2 -cbits 10 -obits 12 -ofbits 9 -output_round convergent\n"},
        "", dir.Path().string());
    ASSERT_EQ(0, result.status) << result.err;
    EXPECT_EQ("output_headroom_bits -1\n"
              "output_headroom_bits 1\n"
              // The largest tap leaves 2 bits of the word unused at unity gain: the fraction
              // takes them, the largest tap then fills the word, and qmult keeps its integer bits.
              "peak_tap_bits 14\n"
              "peak_tap_bits 16\n"
              "format_coef 16 17\n"
              "format_mult 32 30\n"
              "format_mult 34 32\n"
              "full range no worse 1\n"
              "past the edge lower 1\n"
              "error_bound_lsb 1.0000\n"
              "error_bound_lsb 0.5000\n",
              result.out);
}

// The core declares its output's modes and lists the options it was made with; a core made
// without them is today's text (the golden files pin it whole).
TEST_F(ArithmeticOptions, CoreDeclaresTheModesAndListsTheOptions) {
    TempDir dir;
    const auto result = RunShell({"-c",
                                  "rcosflt -fs 4 -delay 2 -obits 16 -ofbits 15 -output_round convergent "
                                  "-output_overflow saturate -coef_scale max -name a\n"
                                  "rcosflt -fs 4 -delay 2 -name b\n"},
                                 "", dir.Path().string());
    ASSERT_EQ(0, result.status) << result.err;
    const std::string a = Slurp(dir.Path() / "a.m");
    const std::string b = Slurp(dir.Path() / "b.m");
    EXPECT_NE(std::string::npos, a.find("\n% options: -output_round convergent -output_overflow saturate -coef_scale max\n"));
    EXPECT_NE(std::string::npos, a.find("\nqout = quantizer( 'fixed', 'convergent', 'saturate', [ 16 15 ] );\n"));
    EXPECT_EQ(std::string::npos, b.find("% options:"));
    EXPECT_NE(std::string::npos, b.find("\nqout = quantizer( 'fixed', 'floor', 'wrap', ["));
}

}  // namespace
