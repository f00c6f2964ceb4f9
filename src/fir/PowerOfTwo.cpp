// The two-term power-of-two form of integer coefficients, for multiplier-free cores.
#include "fir/PowerOfTwo.h"

#include <cstdlib>

namespace fir {

namespace {

// Exhaustive search in a fixed order: the first exact candidate with a non-zero first term wins,
// while candidates without a first term (s1 == 0) take over on ties.
PowerOfTwoPair NearestTwoTermForm(int v, int bits) {
    PowerOfTwoPair best;
    int bestError = 1 << bits;
    const int top = bits - 1;
    auto take = [&](int s1, int n, int s2, int e, int error) {
        best = PowerOfTwoPair{s1, n - top, s2, e - top};
        bestError = error;
    };
    for (int n = top; n >= 0; --n) {
        for (int e = top; e >= 0; --e) {
            for (const int s1 : {-1, 1, 0}) {
                const int first = s1 * (1 << n);
                const int minusError = std::abs(v - (first - (1 << e)));
                if (minusError < bestError || (minusError == bestError && s1 == 0)) take(s1, n, -1, e, minusError);
                const int plusError = std::abs(v - (first + (1 << e)));
                if (plusError < bestError || (plusError == bestError && s1 == 0)) take(s1, n, 1, e, plusError);
                const int aloneError = std::abs(v - first);
                if (aloneError <= bestError) take(s1, n, 0, e, aloneError);
            }
        }
    }
    return best;
}

}  // namespace

std::vector<PowerOfTwoPair> DecomposePowerOfTwo(const std::vector<int>& q, int cbits) {
    std::vector<PowerOfTwoPair> pairs;
    pairs.reserve(q.size());
    for (const int v : q) pairs.push_back(NearestTwoTermForm(v, cbits));
    return pairs;
}

}  // namespace fir
