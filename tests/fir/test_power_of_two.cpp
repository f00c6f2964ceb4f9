// The two-term power-of-two form of integer coefficients: the search order and tie rules on
// worked values, the nearest form for every value of a word, and the same pair as the search
// itself, walked candidate by candidate, for every value of every word length a core can have.
#include "fir/PowerOfTwo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

// The search as it is defined: every candidate in order, the smaller error taken, equal errors
// taken without a first term or for a first term alone.
fir::PowerOfTwoPair LiteralSearch(int v, int bits) {
    fir::PowerOfTwoPair best;
    int bestError = 1 << bits;
    const int top = bits - 1;
    for (int n = top; n >= 0; --n) {
        for (int e = top; e >= 0; --e) {
            for (const int s1 : {-1, 1, 0}) {
                const int first = s1 * (1 << n);
                const int candidates[3][2] = {{-1, std::abs(v - (first - (1 << e)))},
                                              {1, std::abs(v - (first + (1 << e)))},
                                              {0, std::abs(v - first)}};
                for (const auto& [s2, error] : candidates) {
                    const bool takesTies = s1 == 0 || s2 == 0;
                    if (error < bestError || (error == bestError && takesTies)) {
                        best = {s1, n - top, s2, e - top};
                        bestError = error;
                    }
                }
            }
        }
    }
    return best;
}

TEST(PowerOfTwoForm, EqualsTheLiteralSearchForEveryWordLength) {
    for (int bits = 2; bits <= 20; ++bits) {
        // Every value within twice the word's range for the short words, a stride for the long.
        const int limit = 1 << bits;
        const int stride = bits <= 12 ? 1 : (1 << (bits - 12)) - 1;
        std::vector<int> q;
        for (int v = -limit; v <= limit; v += stride) q.push_back(v);
        for (int k = 0; k < bits; ++k) q.insert(q.end(), {1 << k, -(1 << k), (1 << k) + 1, (1 << k) - 1});
        const std::vector<fir::PowerOfTwoPair> got = fir::DecomposePowerOfTwo(q, bits);
        ASSERT_EQ(q.size(), got.size());
        for (std::size_t i = 0; i < q.size(); ++i) {
            ASSERT_EQ(LiteralSearch(q[i], bits), got[i]) << "v = " << q[i] << ", bits = " << bits;
        }
    }
}

TEST(PowerOfTwoForm, SearchOrderAndTieRulesForEightBitCoefficients) {
    struct PairCase {
        int v;
        fir::PowerOfTwoPair want;
    };
    const std::vector<PairCase> cases = {
        {3, {1, -5, -1, -7}},  // 2^2 - 2^0: the first exact form wins over 2^1 + 2^0
        {7, {1, -4, -1, -7}},  {5, {1, -5, 1, -7}},   {-3, {-1, -5, 1, -7}},
        {11, {1, -3, -1, -5}},  // no exact form: 2^4 - 2^2, error 1
        {1, {0, -7, 1, -7}},    // ties without a first term replace
        {16, {0, -7, 1, -3}},  {0, {0, -7, 0, -7}},   {128, {0, -7, 1, 0}},
    };
    const std::vector<int> q = [&] {
        std::vector<int> values;
        for (const PairCase& c : cases) values.push_back(c.v);
        return values;
    }();
    const std::vector<fir::PowerOfTwoPair> got = fir::DecomposePowerOfTwo(q, 8);
    ASSERT_EQ(got.size(), cases.size());
    for (size_t i = 0; i < cases.size(); ++i) {
        const fir::PowerOfTwoPair& w = cases[i].want;
        EXPECT_EQ(got[i].s1, w.s1) << "v = " << cases[i].v;
        EXPECT_EQ(got[i].d, w.d) << "v = " << cases[i].v;
        EXPECT_EQ(got[i].s2, w.s2) << "v = " << cases[i].v;
        EXPECT_EQ(got[i].f, w.f) << "v = " << cases[i].v;
    }
}

TEST(PowerOfTwoForm, EveryEightBitValueGetsANearestTwoTermForm) {
    const int bits = 8;
    std::vector<int> q;
    for (int v = -(1 << (bits - 1)); v <= (1 << (bits - 1)); ++v) q.push_back(v);
    const std::vector<fir::PowerOfTwoPair> pairs = fir::DecomposePowerOfTwo(q, bits);
    ASSERT_EQ(pairs.size(), q.size());
    for (size_t i = 0; i < q.size(); ++i) {
        // Brute force over every sign and exponent combination for the smallest error.
        int nearest = 1 << bits;
        for (int n = 0; n < bits; ++n)
            for (int e = 0; e < bits; ++e)
                for (int s1 = -1; s1 <= 1; ++s1)
                    for (int s2 = -1; s2 <= 1; ++s2) nearest = std::min(nearest, std::abs(q[i] - (s1 * (1 << n) + s2 * (1 << e))));
        const fir::PowerOfTwoPair& p = pairs[i];
        ASSERT_LE(p.d, 0);
        ASSERT_LE(p.f, 0);
        const int value = p.s1 * (1 << (p.d + bits - 1)) + p.s2 * (1 << (p.f + bits - 1));
        EXPECT_EQ(std::abs(q[i] - value), nearest) << "v = " << q[i];
    }
}

}  // namespace
