// The multiplier-free realisation of integer coefficients: each tap as the nearest sum of at
// most two signed powers of two, found in a fixed search order whose tie rules decide which of
// several equally near forms a core is written with.
#pragma once

#include <vector>

#include "fir/CoreModel.h"

namespace fir {

// One pair per tap of q (values in units of 2^-(cbits-1)): s1*2^d + s2*2^f with d, f in
// [-(cbits-1), 0]. The search runs over the first exponent from cbits-1 down to 0, the second
// exponent likewise, the first sign in the order -1, +1, 0, and for each the candidates "minus
// the second term", "plus the second term", "first term alone": a candidate with a smaller error
// is taken; on an equal error one without a first term (s1 = 0), or a first term alone, is taken
// too. A zero tap ends with s1 = s2 = 0.
std::vector<PowerOfTwoPair> DecomposePowerOfTwo(const std::vector<int>& q, int cbits);

}  // namespace fir
