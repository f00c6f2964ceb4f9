// The output quantizer's six rounding modes on ties and non-ties of both signs, its two overflow
// modes, and the worst case a core's output can reach.
#include <gtest/gtest.h>

#include <vector>

#include "fir/CoreModel.h"
#include "fir/OutputQuantizer.h"

namespace {

using fir::OutputOverflow;
using fir::OutputRounding;

struct RoundingCase {
    long long value;  // at 2 fraction bits: value/4
    OutputRounding rounding;
    long long expected;
};

// x/4 for x = -7 (-1.75), -6 (-1.5, a tie), -5 (-1.25), 5 (1.25), 6 (1.5, a tie), 7 (1.75) and
// 2 (0.5, a tie whose lower neighbour is even).
TEST(OutputQuantizer, RoundingModesOnTiesAndNonTies) {
    const std::vector<RoundingCase> cases = {
        {-6, OutputRounding::Floor, -2},     {6, OutputRounding::Floor, 1},       {-5, OutputRounding::Floor, -2},
        {-6, OutputRounding::Ceil, -1},      {5, OutputRounding::Ceil, 2},        {-7, OutputRounding::Ceil, -1},
        {-6, OutputRounding::Fix, -1},       {7, OutputRounding::Fix, 1},         {-7, OutputRounding::Fix, -1},
        {-6, OutputRounding::Round, -2},     {6, OutputRounding::Round, 2},       {-5, OutputRounding::Round, -1},
        {2, OutputRounding::Round, 1},       {-2, OutputRounding::Round, -1},     {7, OutputRounding::Round, 2},
        {-6, OutputRounding::Nearest, -1},   {6, OutputRounding::Nearest, 2},     {-7, OutputRounding::Nearest, -2},
        {-2, OutputRounding::Nearest, 0},    {5, OutputRounding::Nearest, 1},
        {-6, OutputRounding::Convergent, -2}, {6, OutputRounding::Convergent, 2}, {2, OutputRounding::Convergent, 0},
        {-2, OutputRounding::Convergent, 0},  {10, OutputRounding::Convergent, 2}, {-10, OutputRounding::Convergent, -2},
        {-7, OutputRounding::Convergent, -2}, {5, OutputRounding::Convergent, 1},
    };
    for (const RoundingCase& c : cases)
        EXPECT_EQ(c.expected, static_cast<long long>(fir::RoundShift(c.value, 2, c.rounding)))
            << c.value << "/4 by " << fir::RoundingName(c.rounding);
    // No bits dropped: every mode multiplies exactly.
    EXPECT_EQ(-12, static_cast<long long>(fir::RoundShift(-3, -2, OutputRounding::Convergent)));
}

TEST(OutputQuantizer, WrapKeepsLowBitsAndSaturateClamps) {
    struct Case {
        long long value;
        OutputOverflow overflow;
        long long expected;
    };
    const std::vector<Case> cases = {
        {127, OutputOverflow::Wrap, 127},      {128, OutputOverflow::Wrap, -128},
        {-129, OutputOverflow::Wrap, 127},     {300, OutputOverflow::Wrap, 44},
        {128, OutputOverflow::Saturate, 127},  {-129, OutputOverflow::Saturate, -128},
        {-128, OutputOverflow::Saturate, -128}, {1000000, OutputOverflow::Saturate, 127},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, fir::FitToWord(c.value, 8, c.overflow)) << c.value << " " << fir::OverflowName(c.overflow);
}

// Three taps of 1/2 each (8-bit coefficients), 8-bit input with 7 fraction bits: products are
// exact, so the extremes are -1.5 and 1.5*127/128.
fir::CoreModel ThreeHalves(fir::FixedFormat out, OutputRounding rounding, bool zeroStuffing) {
    fir::CoreDescription d;
    d.q = {64, 64, 64};
    d.zeroStuffing = zeroStuffing;
    d.ratio = 2;
    d.lengths = {8, 7, out.word, out.fraction, 8, 7, 0, 0, 2};
    d.outputRounding = rounding;
    return fir::MakeCoreModel(d);
}

TEST(OutputQuantizer, WorstCaseOutputPerFormatRoundingAndPhase) {
    struct Case {
        fir::FixedFormat out;
        OutputRounding rounding;
        bool zeroStuffing;
        long long lowest, highest;
        int wordNeeded;
    };
    const std::vector<Case> cases = {
        // 1.5*127/128 = 1.48828125 at 7 fraction bits: 190.5/128, a tie.
        {{9, 7}, OutputRounding::Floor, false, -192, 190, 9},
        {{9, 7}, OutputRounding::Convergent, false, -192, 190, 9},
        {{9, 7}, OutputRounding::Ceil, false, -192, 191, 9},
        {{8, 7}, OutputRounding::Floor, false, -192, 190, 9},
        // At 0 fraction bits rounding up reaches 2, which needs a third bit.
        {{2, 0}, OutputRounding::Floor, false, -2, 1, 2},
        {{2, 0}, OutputRounding::Nearest, false, -1, 1, 2},
        {{2, 0}, OutputRounding::Ceil, false, -1, 2, 3},
        // Symbol-rate input: taps 0 and 2 meet samples together, tap 1 alone.
        {{8, 7}, OutputRounding::Floor, true, -128, 127, 8},
    };
    for (const Case& c : cases) {
        const fir::CoreModel m = ThreeHalves(c.out, c.rounding, c.zeroStuffing);
        const fir::OutputHeadroom h = fir::WorstCaseOutput(m);
        EXPECT_EQ(c.lowest, h.lowest) << fir::RoundingName(c.rounding) << " " << c.out.word << "/" << c.out.fraction;
        EXPECT_EQ(c.highest, h.highest) << fir::RoundingName(c.rounding) << " " << c.out.word;
        EXPECT_EQ(c.wordNeeded, h.wordNeeded) << fir::RoundingName(c.rounding) << " " << c.out.word;
        EXPECT_EQ(c.out.word - c.wordNeeded, h.headroomBits);
        EXPECT_EQ(h.headroomBits < 0, h.CanOverflow());
    }
}

// The simulator's output stage is the quantizer: qmult sums (14 fraction bits, 17 bits) to an
// output of 3 bits with 1 fraction bit, rounded by the mode, then wrapped or saturated.
TEST(OutputQuantizer, QuantizeOutputAppliesTheModelsModes) {
    fir::CoreModel m = ThreeHalves({3, 1}, OutputRounding::Convergent, false);
    ASSERT_EQ((fir::FixedFormat{17, 14}), m.mult);
    EXPECT_EQ(2, fir::QuantizeOutput(m, 3 << 12));    // 0.75: 1.5 halves, a tie, to the even 2
    EXPECT_EQ(0, fir::QuantizeOutput(m, 1 << 12));    // 0.25: 0.5 halves, to the even 0
    EXPECT_EQ(-1, fir::QuantizeOutput(m, 7 << 13));   // 3.5: 7 halves wrap to -1 in 3 bits
    EXPECT_EQ(1, fir::QuantizeOutput(m, -(7 << 13)));
    m.outputOverflow = OutputOverflow::Saturate;
    EXPECT_EQ(3, fir::QuantizeOutput(m, 7 << 13));
    EXPECT_EQ(-4, fir::QuantizeOutput(m, -(7 << 13)));
    EXPECT_EQ(-4, fir::QuantizeOutput(m, 9 << 13));  // 4.5 has already wrapped in qmult to -3.5
}

}  // namespace
