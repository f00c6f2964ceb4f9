// Tests of the mixed-radix transform: the pass order of the factorisation, accuracy against a
// long-double DFT for every admitted length up to 1024 (and against FFTW where available), the
// inverse, simple closed-form inputs, and the refusal of a too-large prime factor.
#include "raised_cosine/MixedRadixFft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#ifdef KW_HAVE_FFTW3
#include <fftw3.h>
#endif

namespace {

struct Signal {
    std::vector<double> re, im;
};

Signal RandomSignal(int n, unsigned seed) {
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    Signal x{std::vector<double>(n), std::vector<double>(n)};
    for (int i = 0; i < n; ++i) {
        x.re[i] = value(generator);
        x.im[i] = value(generator);
    }
    return x;
}

Signal Forward(const Signal& x) {
    const int n = static_cast<int>(x.re.size());
    Signal y{std::vector<double>(n), std::vector<double>(n)};
    rcos::MixedRadixForward(n, x.re.data(), x.im.data(), y.re.data(), y.im.data());
    return y;
}

Signal Inverse(const Signal& x) {
    const int n = static_cast<int>(x.re.size());
    Signal y{std::vector<double>(n), std::vector<double>(n)};
    rcos::MixedRadixInverse(n, x.re.data(), x.im.data(), y.re.data(), y.im.data());
    return y;
}

// Reference DFT in long double with an exactly indexed root table (one sinl/cosl per root).
void NaiveDft(const Signal& x, std::vector<long double>& yRe, std::vector<long double>& yIm) {
    const int n = static_cast<int>(x.re.size());
    const long double pi = 3.141592653589793238462643383279502884L;
    std::vector<long double> cosTable(n), sinTable(n);
    for (int k = 0; k < n; ++k) {
        const long double angle = 2.0L * pi * k / n;
        cosTable[k] = std::cos(angle);
        sinTable[k] = -std::sin(angle);
    }
    yRe.assign(n, 0.0L);
    yIm.assign(n, 0.0L);
    for (int k = 0; k < n; ++k) {
        long double sumRe = 0.0L, sumIm = 0.0L;
        long long index = 0;
        for (int j = 0; j < n; ++j) {
            sumRe += x.re[j] * cosTable[index] - x.im[j] * sinTable[index];
            sumIm += x.re[j] * sinTable[index] + x.im[j] * cosTable[index];
            index += k;
            if (index >= n) index -= n;
        }
        yRe[k] = sumRe;
        yIm[k] = sumIm;
    }
}

// L2 norm of the difference relative to the L2 norm of the reference.
double RelativeError(const Signal& got, const std::vector<long double>& wantRe, const std::vector<long double>& wantIm) {
    long double difference = 0.0L, reference = 0.0L;
    for (size_t i = 0; i < wantRe.size(); ++i) {
        const long double dRe = got.re[i] - wantRe[i];
        const long double dIm = got.im[i] - wantIm[i];
        difference += dRe * dRe + dIm * dIm;
        reference += wantRe[i] * wantRe[i] + wantIm[i] * wantIm[i];
    }
    return static_cast<double>(std::sqrt(difference / reference));
}

int LargestPrimeFactor(int n) {
    int largest = 1;
    for (int p = 2; p * p <= n; ++p) {
        while (n % p == 0) {
            largest = p;
            n /= p;
        }
    }
    return n > 1 ? n : largest;
}

struct FactorCase {
    int n;
    std::vector<int> passes;
};

TEST(MixedRadixFactorOrder, PassOrderFollowsSpecialRadicesRewriteTrialDivisionAndReversal) {
    const std::vector<FactorCase> cases = {
        {1, {1}},           {2, {2}},           {6, {2, 3}},         {16, {4, 4}},   // 8*2 -> 4*4
        {20, {2, 10}},      {32, {4, 8}},       {33, {11, 3}},       {49, {7, 7}},
        {64, {8, 8}},       {128, {4, 4, 8}},   {160, {4, 4, 10}},   {1024, {4, 4, 8, 8}},
        {343, {7, 7, 7}},   {511, {73, 7}},     {1001, {13, 11, 7}}, {509, {509}},
        {1018, {509, 2}},   {1042, {521, 2}},   {9, {3, 3}},         {90, {3, 3, 10}},
    };
    for (const FactorCase& c : cases) EXPECT_EQ(rcos::FactorLength(c.n), c.passes) << "n = " << c.n;
}

TEST(MixedRadixForward, MatchesLongDoubleDftForEveryAdmittedLengthUpTo1024) {
    double worst = 0.0;
    int worstLength = 0;
    int lengths = 0;
    for (int n = 1; n <= 1024; ++n) {
        if (LargestPrimeFactor(n) > rcos::kMaxPrimeFactor) continue;
        const Signal x = RandomSignal(n, 1000u + static_cast<unsigned>(n));
        std::vector<long double> wantRe, wantIm;
        NaiveDft(x, wantRe, wantIm);
        const double error = RelativeError(Forward(x), wantRe, wantIm);
        EXPECT_LT(error, 1e-13) << "n = " << n;
        if (error > worst) {
            worst = error;
            worstLength = n;
        }
        ++lengths;
    }
    EXPECT_EQ(lengths, 1024 - 75);  // the 75 primes from 521 to 1021 are refused
    std::printf("[          ] worst relative L2 error %.3e at n = %d over %d lengths\n", worst, worstLength, lengths);
    RecordProperty("worst_relative_error", std::to_string(worst));
}

TEST(MixedRadixForward, LeavesInputsUnchangedAndCopiesLengthOneExactly) {
    const Signal x = RandomSignal(77, 7u);
    const Signal before = x;
    Forward(x);
    EXPECT_EQ(x.re, before.re);
    EXPECT_EQ(x.im, before.im);

    const Signal single{{0.3}, {-0.7}};
    const Signal y = Forward(single);
    EXPECT_EQ(y.re[0], 0.3);
    EXPECT_EQ(y.im[0], -0.7);
}

TEST(MixedRadixForward, ImpulseGivesAllOnesAndConstantGivesLengthAtDc) {
    for (const int n : {5, 9, 16, 49, 97, 128, 255, 509, 511}) {
        Signal impulse{std::vector<double>(n, 0.0), std::vector<double>(n, 0.0)};
        impulse.re[0] = 1.0;
        const Signal flat = Forward(impulse);
        Signal ones{std::vector<double>(n, 1.0), std::vector<double>(n, 0.0)};
        const Signal peak = Forward(ones);
        for (int k = 0; k < n; ++k) {
            EXPECT_NEAR(flat.re[k], 1.0, 1e-13) << "n = " << n << ", k = " << k;
            EXPECT_NEAR(flat.im[k], 0.0, 1e-13) << "n = " << n << ", k = " << k;
            EXPECT_NEAR(peak.re[k], k == 0 ? n : 0.0, 1e-12 * n) << "n = " << n << ", k = " << k;
            EXPECT_NEAR(peak.im[k], 0.0, 1e-12 * n) << "n = " << n << ", k = " << k;
        }
    }
}

TEST(MixedRadixInverse, UndoesTheForwardTransform) {
    for (const int n : {1, 2, 3, 7, 10, 29, 60, 121, 253, 360, 509, 511, 1000}) {
        const Signal x = RandomSignal(n, 31u * static_cast<unsigned>(n));
        const Signal back = Inverse(Forward(x));
        for (int i = 0; i < n; ++i) {
            EXPECT_NEAR(back.re[i], x.re[i], 1e-13) << "n = " << n << ", i = " << i;
            EXPECT_NEAR(back.im[i], x.im[i], 1e-13) << "n = " << n << ", i = " << i;
        }
    }
}

TEST(MixedRadixInverse, UsesThePositiveExponentAndOneOverN) {
    // The inverse of a unit impulse at index 1 is e^{+2 pi i k/n}/n.
    const int n = 15;
    Signal impulse{std::vector<double>(n, 0.0), std::vector<double>(n, 0.0)};
    impulse.re[1] = 1.0;
    const Signal y = Inverse(impulse);
    const double pi = 3.141592653589793;
    for (int k = 0; k < n; ++k) {
        EXPECT_NEAR(y.re[k], std::cos(2 * pi * k / n) / n, 1e-15) << "k = " << k;
        EXPECT_NEAR(y.im[k], std::sin(2 * pi * k / n) / n, 1e-15) << "k = " << k;
    }
}

TEST(MixedRadixForward, RefusesAFirstFactorAbove509WithTheExactText) {
    const std::vector<std::pair<int, std::string>> refused = {
        {521, "\nPrime factor of FFT length too large :    521\nPlease modify the value of maxPrimeFactor in mixfft"},
        {1042, "\nPrime factor of FFT length too large :    521\nPlease modify the value of maxPrimeFactor in mixfft"},
        {1021 * 3, "\nPrime factor of FFT length too large :   1021\nPlease modify the value of maxPrimeFactor in mixfft"},
    };
    for (const auto& [n, text] : refused) {
        std::vector<double> re(n, 0.0), im(n, 0.0), outRe(n), outIm(n);
        try {
            rcos::MixedRadixForward(n, re.data(), im.data(), outRe.data(), outIm.data());
            ADD_FAILURE() << "n = " << n << " was not refused";
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(error.what(), text) << "n = " << n;
        }
        EXPECT_THROW(rcos::MixedRadixInverse(n, re.data(), im.data(), outRe.data(), outIm.data()), std::runtime_error);
    }
    std::vector<double> re(509, 1.0), im(509, 0.0), outRe(509), outIm(509);
    EXPECT_NO_THROW(rcos::MixedRadixForward(509, re.data(), im.data(), outRe.data(), outIm.data()));
}

#ifdef KW_HAVE_FFTW3
TEST(MixedRadixForward, AgreesWithFftwOnEveryOddTapCount) {
    double worst = 0.0;
    for (int n = 5; n <= 511; n += 2) {
        const Signal x = RandomSignal(n, 5000u + static_cast<unsigned>(n));
        fftw_complex* in = fftw_alloc_complex(n);
        fftw_complex* out = fftw_alloc_complex(n);
        const fftw_plan plan = fftw_plan_dft_1d(n, in, out, FFTW_FORWARD, FFTW_ESTIMATE);
        for (int i = 0; i < n; ++i) {
            in[i][0] = x.re[i];
            in[i][1] = x.im[i];
        }
        fftw_execute(plan);
        std::vector<long double> wantRe(n), wantIm(n);
        for (int k = 0; k < n; ++k) {
            wantRe[k] = out[k][0];
            wantIm[k] = out[k][1];
        }
        fftw_destroy_plan(plan);
        fftw_free(in);
        fftw_free(out);
        const double error = RelativeError(Forward(x), wantRe, wantIm);
        EXPECT_LT(error, 1e-13) << "n = " << n;
        worst = std::max(worst, error);
    }
    std::printf("[          ] worst relative L2 error against FFTW %.3e\n", worst);
}
#endif

}  // namespace
