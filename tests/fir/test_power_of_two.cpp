// The two-term power-of-two form of integer coefficients: the search order and tie rules on
// worked values, and the nearest form for every value of a word.
#include "fir/PowerOfTwo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

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
