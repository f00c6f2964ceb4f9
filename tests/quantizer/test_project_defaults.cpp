// The project-wide quantizer defaults as the host sees them: which options are queried, in
// which order and how often, what is stored, and the texts of every failure.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "StagedProject.h"
#include "quantizer/ProjectQuantizerDefaults.h"
#include "quantizer/Quantizer.h"

namespace {

using kw::Quantizer;

class ProjectDefaultsTest : public StagedProjectTest {
protected:
    void FailOption(const std::string& option) { Tcl("set ::failing {" + option + "}"); }
};

TEST_F(ProjectDefaultsTest, FirstConstructionQueriesTheHostOnce) {
    Quantizer first;
    Quantizer second;
    Quantizer third(nullptr);
    EXPECT_EQ("version -default_overflow_mode -default_round_mode -quantizer_max_constant_fractional_length", Evals());
    EXPECT_EQ(31, kw::MaxConstantFractionalLength());
    // Limits behind settings that are off stay unread.
    EXPECT_EQ(-1, kw::MaxVariableFractionalLength());
    EXPECT_EQ(-1, kw::MaxPortWordLength());
    EXPECT_EQ(-1, kw::MaxInputFractionalLength());
}

TEST_F(ProjectDefaultsTest, ProjectModesBecomeEveryQuantizersModes) {
    SetOption("-default_overflow_mode", "saturate");
    SetOption("-default_round_mode", "floor");
    Quantizer q;
    EXPECT_EQ(kw::kSaturate, q.Overflow());
    EXPECT_EQ(kw::kFloor, q.Rounding());
    // Changed project options are not seen again in this process.
    SetOption("-default_round_mode", "ceil");
    const Quantizer later;
    EXPECT_EQ(kw::kSaturate, later.Overflow());
    EXPECT_EQ(kw::kFloor, later.Rounding());
}

TEST_F(ProjectDefaultsTest, ModeAnswersAreReadWithTheQuantizerParser) {
    const struct {
        const char* overflow;
        const char* round;
        kw::OverflowMode wantOverflow;
        kw::RoundMode wantRound;
    } cases[] = {
        {"", "", kw::kWrap, kw::kFloor},
        {"saturate", "convergent", kw::kSaturate, kw::kConvergent},
        // Each default is taken right after its own answer: a mode word in the other answer
        // does not change it.
        {"saturate ceil", "wrap", kw::kSaturate, kw::kCeil},
        {"wrap", "nearest", kw::kWrap, kw::kNearest},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.overflow << " / " << c.round);
        kw::ResetQuantizerProcessState();
        SetOption("-default_overflow_mode", c.overflow);
        SetOption("-default_round_mode", c.round);
        const Quantizer q;
        EXPECT_EQ(c.wantOverflow, q.Overflow());
        EXPECT_EQ(c.wantRound, q.Rounding());
    }
}

TEST_F(ProjectDefaultsTest, RoundAnswerGivesNearestWithTheOneTimeWarning) {
    SetOption("-default_round_mode", "round");
    const Quantizer q;
    EXPECT_EQ(kw::kNearest, q.Rounding());
    EXPECT_EQ("1", Tcl("llength $::messages"));
    const CTclDataObj value("round");
    EXPECT_EQ(kw::kNearest, Quantizer(&value).Rounding());
    EXPECT_EQ("1", Tcl("llength $::messages"));
}

TEST_F(ProjectDefaultsTest, UnknownModeWordFailsTheConstruction) {
    SetOption("-default_overflow_mode", "clip");
    try {
        const Quantizer q;
        FAIL() << "constructed";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ("message DIR-0037", error.what());
    }
    EXPECT_EQ("{-severity error -msgid DIR-0037 -params {{} clip}}", Messages());
}

TEST_F(ProjectDefaultsTest, AfterFixedPointVerificationTheModesAreNotQueried) {
    SetSetting("Settings::IsAfterVerifyFixedPoint", true);
    SetOption("-default_overflow_mode", "saturate");
    SetOption("-default_round_mode", "ceil");
    const Quantizer q;
    EXPECT_EQ(kw::kWrap, q.Overflow());
    EXPECT_EQ(kw::kFloor, q.Rounding());
    EXPECT_EQ("version -quantizer_max_constant_fractional_length", Evals());
}

TEST_F(ProjectDefaultsTest, GatedLimitsAreQueriedInOrderAndNegativeMeansNone) {
    SetSetting("Settings::quantizer_max_variable_fractional_length", true);
    SetSetting("Settings::quantizer_max_port_word_length", true);
    SetSetting("DR::952723", true);
    SetOption("-quantizer_max_port_word_length", "-5");
    const Quantizer q;
    EXPECT_EQ("version -default_overflow_mode -default_round_mode -quantizer_max_variable_fractional_length "
              "-quantizer_max_constant_fractional_length -quantizer_max_port_word_length "
              "-quantizer_max_input_fractional_length",
              Evals());
    EXPECT_EQ(30, kw::MaxVariableFractionalLength());
    EXPECT_EQ(31, kw::MaxConstantFractionalLength());
    EXPECT_EQ(-1, kw::MaxPortWordLength());
    EXPECT_EQ(33, kw::MaxInputFractionalLength());
    kw::ResetProjectLimits();
    EXPECT_EQ(-1, kw::MaxVariableFractionalLength());
    EXPECT_EQ(-1, kw::MaxConstantFractionalLength());
    EXPECT_EQ(-1, kw::MaxInputFractionalLength());
}

TEST_F(ProjectDefaultsTest, FailedQueriesRaiseTheirOwnTextAndAreNotRetried) {
    const struct {
        const char* option;
        const char* text;
    } cases[] = {
        {"-default_overflow_mode", "Invalid default quantizer overflow mode"},
        {"-default_round_mode", "Invalid default quantizer round mode"},
        {"-quantizer_max_variable_fractional_length", "Could not get quantizer_max_variable_fractional_length."},
        {"-quantizer_max_constant_fractional_length", "Could not get quantizer_max_constant_fractional_length."},
        {"-quantizer_max_port_word_length", "Could not get quantizer_max_port_word_length."},
        {"-quantizer_max_input_fractional_length", "Could not get quantizer_max_input_fractional_length."},
    };
    SetSetting("Settings::quantizer_max_variable_fractional_length", true);
    SetSetting("Settings::quantizer_max_port_word_length", true);
    SetSetting("DR::952723", true);
    SetOption("-default_overflow_mode", "saturate");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.option);
        kw::ResetQuantizerProcessState();
        FailOption(c.option);
        try {
            const Quantizer q;
            ADD_FAILURE() << "constructed";
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(c.text, error.what());
        }
        Tcl("set ::evals {}");
        const Quantizer again;
        EXPECT_EQ("", Evals());
        // The modes keep what the load had reached: wrap/floor until the overflow answer was read.
        const bool overflowRead = std::string(c.option) != "-default_overflow_mode";
        EXPECT_EQ(overflowRead ? kw::kSaturate : kw::kWrap, again.Overflow());
        EXPECT_EQ(kw::kFloor, again.Rounding());
    }
}

TEST_F(ProjectDefaultsTest, VersionCheckFailsFirstAndOnlyOnce) {
    Tcl("proc GetMatlabMajorVersionNumber {} { lappend ::evals version; error \"no MATLAB\" }");
    try {
        const Quantizer q;
        FAIL() << "constructed";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ("Invalid MATLAB version", error.what());
    }
    EXPECT_EQ("version", Evals());
    // Not retried: the next construction goes straight to the project options.
    const Quantizer q;
    EXPECT_EQ("version -default_overflow_mode -default_round_mode -quantizer_max_constant_fractional_length", Evals());
}

TEST_F(ProjectDefaultsTest, OnlyDefaultConstructionChecksTheVersion) {
    const CTclDataObj value("fixed 8 7");
    const Quantizer fromHost(&value);
    EXPECT_EQ("-default_overflow_mode -default_round_mode -quantizer_max_constant_fractional_length", Evals());
    const Quantizer q;
    EXPECT_EQ("-default_overflow_mode -default_round_mode -quantizer_max_constant_fractional_length version", Evals());
}

TEST_F(ProjectDefaultsTest, ReloadRequestQueriesTheProjectAgain) {
    const Quantizer first;
    SetOption("-default_overflow_mode", "saturate");
    kw::RequestProjectDefaultsReload();
    Tcl("set ::evals {}");
    const Quantizer second;
    EXPECT_EQ("-default_overflow_mode -default_round_mode -quantizer_max_constant_fractional_length", Evals());
    EXPECT_EQ(kw::kSaturate, second.Overflow());
}

}  // namespace
