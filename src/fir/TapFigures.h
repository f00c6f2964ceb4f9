// Figures of a core's coefficients, whatever designed them: the tap values the core applies, how
// far they are from the designed values and how much of the coefficient word the largest one uses.
#pragma once

#include <vector>

#include "fir/CoreModel.h"

namespace fir {

// The tap values the core multiplies by: q*2^-coef.fraction, or for a multiplier-free core the
// two-term values s1*2^d + s2*2^f.
std::vector<double> AppliedTaps(const CoreModel& model);

int NonZeroTapCount(const CoreModel& model);

// The largest |applied - designed| over the taps, in coefficient LSBs (2^-coef.fraction).
// designed holds one value per tap.
double TapErrorLsb(const CoreModel& model, const std::vector<double>& designed);

// The fewest bits of a signed word that hold every applied tap as an integer at coef.fraction:
// cbits when the largest tap needs the whole coefficient word, fewer when its top bits stay unused.
int PeakTapBits(const CoreModel& model);

}  // namespace fir
