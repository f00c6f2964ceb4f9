// The quantizer record against a staged host: the host-value parser in flat and nested form
// with its errors, the once-only "round" warning, the texts and declaration limits, and the
// project defaults (version check, gated queries, failures) counted from the host's side.
#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>

#include "host/AppMgr.h"
#include "quantizer/Quantizer.h"
#include "StagedProject.h"

namespace {

using kw::Quantizer;

class QuantizerTest : public StagedProjectTest {};

struct Expected {
    kw::QuantizerType type;
    kw::OverflowMode overflow;
    kw::RoundMode round;
    int wordLength;
    int fractionalLength;
};

void ExpectQuantizer(const Expected& want, const Quantizer& got) {
    EXPECT_EQ(want.type, got.Type());
    EXPECT_EQ(want.overflow, got.Overflow());
    EXPECT_EQ(want.round, got.Rounding());
    EXPECT_EQ(want.wordLength, got.WordLength());
    EXPECT_EQ(want.fractionalLength, got.FractionalLength());
}

Quantizer Parsed(const std::string& text) {
    const CTclDataObj value(text);
    return Quantizer(&value);
}

// ---- The host-value parser ----

TEST_F(QuantizerTest, ParsesFlatAndNestedValues) {
    using namespace kw;
    const struct {
        const char* value;
        Expected want;
    } cases[] = {
        {"", {kUFixed, kWrap, kFloor, 0, 0}},
        {"fixed floor saturate {16 15}", {kFixed, kSaturate, kFloor, 16, 15}},
        {"fixed floor saturate 16 15", {kFixed, kSaturate, kFloor, 16, 15}},
        {"fixed 16", {kFixed, kWrap, kFloor, 16, 0}},
        {"16 15 ufixed", {kUFixed, kWrap, kFloor, 16, 15}},
        {"fixed ufixed", {kUFixed, kWrap, kFloor, 0, 0}},
        {"ceil fix convergent saturate wrap", {kUFixed, kWrap, kConvergent, 0, 0}},
        {"ceil", {kUFixed, kWrap, kCeil, 0, 0}},
        {"nearest 8 -3", {kUFixed, kWrap, kNearest, 8, -3}},
        {"007 -0", {kUFixed, kWrap, kFloor, 7, 0}},
        // Nested form: sub-lists are read with the host's integer conversion (zero included).
        {"{12 0} fixed", {kFixed, kWrap, kFloor, 12, 0}},
        {"{0x10 -2} fixed", {kFixed, kWrap, kFloor, 16, -2}},
        {"{16 15} saturate", {kUFixed, kSaturate, kFloor, 16, 15}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        ExpectQuantizer(c.want, Parsed(c.value));
    }
}

TEST_F(QuantizerTest, EmptyOrMissingValueLeavesTheDefaultQuantizer) {
    ExpectQuantizer({kw::kUFixed, kw::kWrap, kw::kFloor, 0, 0}, Quantizer(nullptr));
    Quantizer q;
    q.SetWordLength(9);
    q.ApplyHostValue(nullptr);
    EXPECT_EQ(9, q.WordLength());
}

TEST_F(QuantizerTest, SingleIntegerKeepsTheFractionalLength) {
    Quantizer q = Parsed("fixed 16 4");
    const CTclDataObj value("12");
    q.ApplyHostValue(&value);
    EXPECT_EQ(12, q.WordLength());
    EXPECT_EQ(4, q.FractionalLength());
}

TEST_F(QuantizerTest, RefusesBadValuesWithTheHostParameterLists) {
    const struct {
        const char* value;
        const char* id;
        const char* params;  // the "-params" word as the host receives it
    } cases[] = {
        {"fixd floor", "DIR-0037", "{} fixd"},
        {"Fixed", "DIR-0037", "{} Fixed"},
        {"float 16 15", "DIR-0037", "{} float"},
        {"fixed +3", "DIR-0037", "{} +3"},
        {"fixed 16.0", "DIR-0037", "{} 16.0"},
        {"fixed {16 abc}", "DIR-0035", "{} {16 abc}"},
        {"fixed {16 99999999999}", "DIR-0035", "{} {16 99999999999}"},
        // In nested form a one-element element is a word, even a number.
        {"fixed 16 {8 7}", "DIR-0037", "{} 16"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        Tcl("set ::messages {}");
        try {
            Parsed(c.value);
            ADD_FAILURE() << "accepted";
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string("message ") + c.id, error.what());
        }
        EXPECT_EQ(std::string("{-severity error -msgid ") + c.id + " -params {" + c.params + "}}", Messages());
    }
}

TEST_F(QuantizerTest, MoreThanTwoIntegersIsRefusedBeforeAnyWord) {
    for (const char* value : {"fixed floor wrap 16 15 3", "{16 15} {3 4} nonsense"}) {
        SCOPED_TRACE(value);
        Tcl("set ::messages {}");
        EXPECT_THROW(Parsed(value), std::runtime_error);
        ASSERT_EQ("1", Tcl("llength $::messages"));
        EXPECT_EQ(0u, Tcl("lindex $::messages 0").find("-severity error -msgid DIR-0036")) << Messages();
        EXPECT_EQ(std::string::npos, Messages().find("nonsense"));
    }
}

TEST_F(QuantizerTest, ErrorsCarryTheFileInformationTheyWereGiven) {
    Quantizer q;
    const CTclDataObj value("fixed wobble");
    EXPECT_THROW(q.ApplyHostValue(&value, "ports.m", 4), std::runtime_error);
    EXPECT_EQ("{-severity error -msgid DIR-0037 -fileinfo {ports.m 4} -params {{} wobble}}", Messages());
    // Values before the failing word stay applied.
    EXPECT_EQ(kw::kFixed, q.Type());
}

TEST_F(QuantizerTest, RoundIsNearestAndWarnsOncePerProcess) {
    EXPECT_EQ(kw::kNearest, Parsed("fixed round").Rounding());
    EXPECT_EQ(kw::kNearest, Parsed("round ufixed").Rounding());
    Quantizer q;
    const CTclDataObj value("round");
    q.ApplyHostValue(&value, "x.m", 3);
    EXPECT_EQ(kw::kNearest, q.Rounding());
    ASSERT_EQ("1", Tcl("llength $::messages"));
    // No parameters, and an empty file name without a line.
    EXPECT_EQ(0u, Tcl("lindex $::messages 0").find("-severity warning -msgid QTZ-0040 -fileinfo {{}}"))
        << Messages();
}

// ---- Setters, limits and texts ----

TEST_F(QuantizerTest, SignednessChangesOnlyTheSign) {
    using namespace kw;
    const struct {
        QuantizerType type, asSigned, asUnsigned;
    } cases[] = {
        {kFixed, kFixed, kUFixed},    {kUFixed, kFixed, kUFixed},   {kFloat, kFloat, kUFloat},
        {kUFloat, kFloat, kUFloat},   {kSingle, kSingle, kUSingle}, {kUSingle, kSingle, kUSingle},
        {kDouble, kDouble, kUDouble}, {kUDouble, kDouble, kUDouble},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        Quantizer q;
        q.SetType(c.type);
        EXPECT_EQ(c.type % 2 == 0, q.IsSigned());
        q.SetSigned(true);
        EXPECT_EQ(c.asSigned, q.Type());
        EXPECT_TRUE(q.IsSigned());
        q.SetType(c.type);
        q.SetSigned(false);
        EXPECT_EQ(c.asUnsigned, q.Type());
        EXPECT_FALSE(q.IsSigned());
    }
}

TEST_F(QuantizerTest, LimitWordLengthKeepsIntegerBits) {
    const struct {
        int wordLength, fractionalLength, max, wantWord, wantFraction;
    } cases[] = {
        {60, 50, 53, 53, 43}, {60, 5, 53, 53, 0}, {20, -3, 53, 20, 0}, {10, 3, 53, 10, 3},
        {16, 15, 12, 12, 11}, {53, 60, 53, 53, 60}, {2147483647, 2147483647, -2147483647 - 1, -2147483647 - 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.wordLength << "/" << c.fractionalLength << " max " << c.max);
        Quantizer q;
        q.SetWordLength(c.wordLength);
        q.SetFractionalLength(c.fractionalLength);
        q.LimitWordLength(c.max);
        EXPECT_EQ(c.wantWord, q.WordLength());
        EXPECT_EQ(c.wantFraction, q.FractionalLength());
    }
}

TEST_F(QuantizerTest, MatlabAndHostListTexts) {
    Quantizer q = Parsed("fixed floor saturate {16 15}");
    EXPECT_EQ("quantizer( 'fixed', 'floor', 'saturate', [ 16 15 ] )", q.MatlabText());
    EXPECT_EQ("fixed floor saturate {16 15}", q.HostListText());

    q.SetRoundMode(kw::kRound);
    q.SetOverflowMode(kw::kOverflowUnset);
    q.SetFractionalLength(-4);
    EXPECT_EQ("quantizer( 'fixed', 'round', '', [ 16 -4 ] )", q.MatlabText());
    q.SetRoundMode(static_cast<kw::RoundMode>(6));
    EXPECT_EQ("quantizer( 'fixed', '', '', [ 16 -4 ] )", q.MatlabText());

    const char* typeNames[] = {"fixed", "ufixed", "float", "float", "single", "single", "double", "double", ""};
    for (int type = 0; type <= 8; ++type) {
        EXPECT_EQ(typeNames[type], kw::QuantizerTypeName(static_cast<kw::QuantizerType>(type))) << type;
    }
    EXPECT_EQ("", kw::OverflowModeName(static_cast<kw::OverflowMode>(2)));
}

TEST_F(QuantizerTest, HostListTextReadsBackToTheSameQuantizer) {
    for (const char* value : {"fixed nearest saturate {24 23}", "ufixed convergent wrap {8 -2}", "fixed ceil wrap"}) {
        SCOPED_TRACE(value);
        const Quantizer original = Parsed(value);
        const Quantizer copy = Parsed(original.HostListText());
        EXPECT_EQ(original.MatlabText(), copy.MatlabText());
    }
}

TEST_F(QuantizerTest, DeclarationLimitsTheWordLength) {
    const struct {
        const char* value;
        bool disableFixed1;
        const char* line;
    } cases[] = {
        {"fixed floor wrap {12 11}", false, "qin = quantizer( 'fixed', 'floor', 'wrap', [ 12 11 ] );\n"},
        {"fixed floor wrap {60 50}", false, "qin = quantizer( 'fixed', 'floor', 'wrap', [ 53 43 ] );\n"},
        {"ufixed floor wrap {60 50}", false, "qin = quantizer( 'ufixed', 'floor', 'wrap', [ 52 42 ] );\n"},
        {"fixed floor wrap {20 -3}", false, "qin = quantizer( 'fixed', 'floor', 'wrap', [ 20 0 ] );\n"},
        {"fixed floor wrap {1 0}", false, "qin = quantizer( 'fixed', 'floor', 'wrap', [ 1 0 ] );\n"},
        {"fixed floor wrap {1 0}", true, "qin = quantizer( 'fixed', 'floor', 'wrap', [ 2 0 ] );\n"},
        {"fixed floor wrap {1 3}", true, "qin = quantizer( 'fixed', 'floor', 'wrap', [ 2 3 ] );\n"},
        {"ufixed floor wrap {1 0}", true, "qin = quantizer( 'ufixed', 'floor', 'wrap', [ 1 0 ] );\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.value << (c.disableFixed1 ? " without fixed 1" : ""));
        SetSetting("Settings::KelvoWareDisableFixed1_0", c.disableFixed1);
        Quantizer q = Parsed(c.value);
        std::ostringstream out;
        q.WriteDeclaration(out, "qin");
        EXPECT_EQ(c.line, out.str());
        // The record itself is limited too.
        EXPECT_EQ(c.line, "qin = " + q.MatlabText() + ";\n");
    }
}

}  // namespace
