// Tests of the coefficient design: known quantised tap sets, the sample grid (including the
// offset of ratios 7 and 8), unit peak gain after normalisation, rounding, symmetry classes,
// and derived output lengths.
#include "raised_cosine/CoefficientDesign.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <optional>
#include <vector>

#include "fir/CoreModel.h"
#include "raised_cosine/MixedRadixFft.h"

namespace {

constexpr double kPi = 3.141592653589793;

double PeakDftMagnitude(const std::vector<double>& h) {
    const int n = static_cast<int>(h.size());
    std::vector<double> zeros(n, 0.0), re(n), im(n);
    rcos::MixedRadixForward(n, h.data(), zeros.data(), re.data(), im.data());
    double peak = 0.0;
    for (int k = 0; k < n; ++k) peak = std::max(peak, std::sqrt(re[k] * re[k] + im[k] * im[k]));
    return peak;
}

double RaisedCosine(double rolloff, double t) {
    return std::sin(kPi * t) * std::cos(kPi * rolloff * t) / (kPi * t * (1.0 - 4.0 * rolloff * rolloff * t * t));
}

struct DesignCase {
    const char* name;
    double rolloff;
    int ratio;
    int delay;
    bool root;
    int cbits;
    std::vector<int> q;
};

TEST(CoefficientDesign, KnownTapSetsQuantiseExactly) {
    const std::vector<DesignCase> cases = {
        {"RC R=0.5 r=2 D=1", 0.5, 2, 1, false, 8, {0, 35, 58, 35, 0}},
        {"RC R=0.5 r=4 D=1", 0.5, 4, 1, false, 10, {0, 30, 68, 101, 114, 101, 68, 30, 0}},
        {"RRC R=0.25 r=4 D=1", 0.25, 4, 1, true, 10, {-7, 27, 70, 106, 120, 106, 70, 27, -7}},
    };
    for (const DesignCase& c : cases) {
        const int taps = 1 + 2 * c.delay * c.ratio;
        const std::vector<double> raw = rcos::DesignImpulseResponse(c.rolloff, c.ratio, taps, c.root);
        const rcos::QuantizedCoefficients coefs = rcos::NormalizeAndQuantize(raw, c.cbits);
        ASSERT_EQ(coefs.q.size(), c.q.size()) << c.name;
        EXPECT_EQ(coefs.q, c.q) << c.name;
        EXPECT_EQ(fir::ClassifySymmetry(coefs.q), fir::CoefSymmetry::Symmetric) << c.name;
    }
}

TEST(CoefficientDesign, QuantisedValuesOfTheShortRaisedCosine) {
    const rcos::QuantizedCoefficients coefs =
        rcos::NormalizeAndQuantize(rcos::DesignImpulseResponse(0.5, 2, 5, false), 8);
    ASSERT_EQ(coefs.q.size(), 5u);
    EXPECT_EQ(coefs.q[1] / 128.0, 0.2734375);
    EXPECT_EQ(coefs.q[2] / 128.0, 0.453125);
}

TEST(CoefficientDesign, PeakBeforeNormalisationOfNineTapRaisedCosineIsAtDc) {
    const std::vector<double> raw = rcos::DesignImpulseResponse(0.5, 4, 9, false);
    double dc = 0.0;
    for (const double tap : raw) dc += tap;
    EXPECT_NEAR(PeakDftMagnitude(raw), 4.4999, 1e-4);
    EXPECT_NEAR(PeakDftMagnitude(raw), dc, 1e-12);
}

TEST(CoefficientDesign, SingularPointsComeOutNearTheirLimits) {
    const std::vector<double> rrc = rcos::DesignImpulseResponse(0.25, 4, 9, true);
    EXPECT_NEAR(rrc[4], 1.0 - 0.25 + 4.0 * 0.25 / kPi, 1e-12);

    // R = 1: t = +-0.5 are zeros of 1 - 4(Rt)^2, where the limit of the response is 1/2. The
    // denominator there is about 4e-14, so rounding leaves only about three good digits.
    const std::vector<double> rc = rcos::DesignImpulseResponse(1.0, 4, 9, false);
    EXPECT_NEAR(rc[4], 1.0, 1e-12);
    EXPECT_NEAR(rc[2], 0.5, 1e-3);
    EXPECT_EQ(rc[6], rc[2]);
    EXPECT_NEAR(PeakDftMagnitude(rcos::NormalizeAndQuantize(rc, 12).normalized), 1.0, 1e-12);
}

TEST(CoefficientDesign, RatiosSevenAndEightSampleOffTheSymbolGrid) {
    struct OffsetCase {
        int ratio;
        double offset;  // c/360 - 1/(2r) with c = 180/r in integers
    };
    for (const OffsetCase c : {OffsetCase{7, 25.0 / 360 - 1.0 / 14}, OffsetCase{8, 22.0 / 360 - 1.0 / 16},
                               OffsetCase{3, 0.0}, OffsetCase{5, 0.0}}) {
        const int taps = 1 + 2 * 3 * c.ratio;
        const std::vector<double> h = rcos::DesignImpulseResponse(0.35, c.ratio, taps, false);
        for (int j = 0; j < (taps - 1) / 2; ++j) {
            const double t = static_cast<double>(j - (taps - 1) / 2) / c.ratio + c.offset;
            EXPECT_NEAR(h[j], RaisedCosine(0.35, t), 1e-12) << "r = " << c.ratio << ", j = " << j;
        }
    }
}

TEST(CoefficientDesign, ResponseIsExactlyMirrorSymmetric) {
    for (const bool root : {false, true}) {
        for (int ratio = 2; ratio <= 8; ++ratio) {
            const int taps = 1 + 2 * 4 * ratio;
            const std::vector<double> h = rcos::DesignImpulseResponse(double(0.3f), ratio, taps, root);
            ASSERT_EQ(static_cast<int>(h.size()), taps);
            for (int k = 0; k < taps; ++k) EXPECT_EQ(h[k], h[taps - 1 - k]) << "r = " << ratio << ", k = " << k;
        }
    }
}

TEST(CoefficientDesign, RatioSevenWholeSymbolTapsAreSmallButQuantiseToZero) {
    const std::vector<double> raw = rcos::DesignImpulseResponse(double(0.35f), 7, 29, false);
    EXPECT_NEAR(raw[0], 0.0006, 0.0001);
    EXPECT_NEAR(raw[7], -0.0018, 0.0001);
    const rcos::QuantizedCoefficients coefs = rcos::NormalizeAndQuantize(raw, 12);
    EXPECT_EQ(coefs.q[0], 0);
    EXPECT_EQ(coefs.q[7], 0);
    EXPECT_EQ(fir::ClassifySymmetry(coefs.q), fir::CoefSymmetry::Symmetric);
}

TEST(CoefficientDesign, NormalisedResponsesHaveUnitPeakGainAndQuantiseTapByTap) {
    for (const bool root : {false, true}) {
        for (const float rolloff : {0.1f, 0.35f, 0.5f, 1.0f}) {
            for (const int ratio : {2, 5, 8}) {
                for (const int delay : {1, 6, 31}) {
                    const int taps = 1 + 2 * delay * ratio;
                    const rcos::QuantizedCoefficients coefs = rcos::NormalizeAndQuantize(
                        rcos::DesignImpulseResponse(double(rolloff), ratio, taps, root), 16);
                    ASSERT_EQ(static_cast<int>(coefs.q.size()), taps);
                    EXPECT_NEAR(PeakDftMagnitude(coefs.normalized), 1.0, 1e-12)
                        << "R = " << rolloff << ", r = " << ratio << ", N = " << taps;
                    for (int i = 0; i < taps; ++i)
                        EXPECT_EQ(coefs.q[i], rcos::QuantizeCoefficient(coefs.normalized[i], 16));
                }
            }
        }
    }
}

TEST(CoefficientDesign, QuantisationRoundsHalfUp) {
    struct RoundCase {
        double h;
        int cbits;
        int q;
    };
    const std::vector<RoundCase> cases = {
        {0.5, 6, 16},          {-1.0 / 64, 6, 0},  {1.0 / 64, 6, 1},     {-3.0 / 64, 6, -1},
        {-0.5, 6, -16},        {1.0, 6, 32},       {0.0, 6, 0},          {0.2734375, 8, 35},
        {0.2734374, 8, 35},    {0.2695312, 8, 34}, {-0.999999, 20, -524287},
    };
    for (const RoundCase& c : cases) EXPECT_EQ(rcos::QuantizeCoefficient(c.h, c.cbits), c.q) << c.h;
}

TEST(CoefficientSymmetry, ClassesFollowPairsOfValuesAndMagnitudes) {
    struct SymmetryCase {
        std::vector<int> q;
        fir::CoefSymmetry want;
    };
    const std::vector<SymmetryCase> cases = {
        {{1, 2, 1}, fir::CoefSymmetry::Symmetric},
        {{-7, 27, 70, 27, -7}, fir::CoefSymmetry::Symmetric},
        {{5}, fir::CoefSymmetry::Symmetric},
        {{1, 2, 2, 1}, fir::CoefSymmetry::Symmetric},
        {{1, 2, -1}, fir::CoefSymmetry::MagnitudeSymmetric},
        {{3, -4, 9, 4, 3}, fir::CoefSymmetry::MagnitudeSymmetric},
        {{2, -2}, fir::CoefSymmetry::MagnitudeSymmetric},
        {{1, 2, 3}, fir::CoefSymmetry::None},
        {{3, 0, 8, 5, 3}, fir::CoefSymmetry::None},
    };
    for (const SymmetryCase& c : cases) EXPECT_EQ(fir::ClassifySymmetry(c.q), c.want) << ::testing::PrintToString(c.q);
}

TEST(OutputLengths, IntegerBitsOfTheCoefficientSum) {
    struct SumCase {
        std::vector<double> taps;
        int m;
    };
    const std::vector<SumCase> cases = {
        {{0.5, 0.7}, 1}, {{-1.5, 1.5}, 2}, {{4.0}, 3}, {{0.25}, -1}, {{0.0, 0.0}, 1}, {{}, 1},
    };
    for (const SumCase& c : cases) EXPECT_EQ(rcos::CoefficientSumIntegerBits(c.taps), c.m) << ::testing::PrintToString(c.taps);
}

TEST(OutputLengths, AutoLengthsFollowTheCoefficientSum) {
    const std::vector<double> sumBetweenOneAndTwo = {0.2, 0.9, 0.2};  // m = 1
    const std::optional<int> derived;
    struct LengthCase {
        const char* name;
        std::optional<int> obits, ofbits;
        int ibits, ifbits, cbits, trunc;
        rcos::OutputLengths want;
    };
    const std::vector<LengthCase> cases = {
        {"both derived, too wide: fraction gives way", derived, derived, 16, 15, 16, 0, {32, 29}},
        {"both derived, fits", derived, derived, 16, 15, 16, 4, {29, 26}},
        {"a given fraction is derived with the word length", derived, 5, 16, 15, 16, 4, {29, 26}},
        {"fraction only", 16, derived, 16, 15, 16, 0, {16, 14}},
        {"fraction only, clamped at zero", 4, derived, 16, 2, 16, 0, {4, 0}},
        {"both derived, clamped at zero", derived, derived, 30, 0, 20, 0, {32, 0}},
        {"both given: they stand", 12, 3, 16, 15, 16, 0, {12, 3}},
    };
    for (const LengthCase& c : cases) {
        const rcos::OutputLengths got =
            rcos::DeriveOutputLengths(sumBetweenOneAndTwo, c.obits, c.ofbits, c.ibits, c.ifbits, c.cbits, c.trunc);
        EXPECT_EQ(got.obits, c.want.obits) << c.name;
        EXPECT_EQ(got.ofbits, c.want.ofbits) << c.name;
    }
}

}  // namespace
