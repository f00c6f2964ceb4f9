// The coefficient each product statement of a core multiplies by, as the structure spells it:
// the tap's integer wrapped to qcoef, or, multiplier-free, its two power-of-two terms written as
// literals (fully parallel) or as entries of the qcoef-quantised coefficient vector (shared).
// The simulator and the Verilog writer both take their products from here.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "fir/CoreModel.h"

namespace fir {

// sign * 2^shift, an integer at the coefficient fraction; sign 0 is no term.
struct ShiftTerm {
    int sign = 0;
    int shift = 0;
};

struct TapProduct {
    std::int64_t coefficient = 0;      // integer at coef.fraction
    std::array<ShiftTerm, 2> terms{};  // multiplier-free cores: coefficient == sum of the terms
};

// One entry per tap, i = 0 .. N-1.
std::vector<TapProduct> TapProducts(const CoreModel& model);

// The middle tap of the folded direct forms: the shared form writes its multiplier-free middle
// product with the literal terms, unlike its coefficient vector.
TapProduct MiddleProduct(const CoreModel& model);

// Multiplier-free fully parallel cores quantise a mirror pair's sum to qmult before the shifted
// terms take it; every other form multiplies the exact sum.
bool PairSumQuantized(const CoreModel& model);

// True when |value| is 2^k: a shift, not a multiplier, in hardware.
bool IsPowerOfTwoMagnitude(std::int64_t value);

// |value| without its trailing zero bits (value != 0): products by values of the same odd part
// differ by a shift.
std::int64_t OddPart(std::int64_t value);

}  // namespace fir
