// The error a core's fixed-point arithmetic adds, whatever designed its taps: the bound that its
// truncating operations allow, and the error measured with the bit-true simulator against
// double-precision filtering with the designed taps.
#pragma once

#include <cstdint>
#include <vector>

#include "fir/CoreModel.h"

namespace fir {

// Floors on the path of one output, each losing less than one LSB of its own grid: every product
// whose exact value has more fraction bits than qmult (one per non-zero tap, or per non-zero
// distinct tap where a folded direct form multiplies a mirror pair's sum once), then the output's
// quantisation to qout, less than one LSB for floor, ceil and fix and at most half of one for the
// nearest-neighbour modes. In output LSBs: products * 2^(out.fraction - mult.fraction) + 1 (or
// + 0.5; the last term only when the output drops bits). The pre-adder's sum is exact (qmult holds at least the input's
// fraction). Wrapping is not counted: the formats are derived so that sums of in-range inputs do
// not wrap, unless a narrow output word was chosen (and saturation is an error of its own).
double ErrorBoundLsb(const CoreModel& model);

// n integers drawn uniformly over the whole signed range of the format's word, from xorshift64:
// the top word bits of each draw, minus 2^(word-1).
std::vector<std::int64_t> UniformFullRangeInput(const FixedFormat& format, std::uint64_t seed, int n);

struct MeasuredError {
    double maxErrorLsb = 0;  // largest |core - reference|, in output LSBs
    double sqnrDb = 0;       // reference power over error power, in dB
};

// Runs the core on UniformFullRangeInput(model.in, seed, samples) and compares each output from
// the core's latency on with the same input filtered in double precision by the designed taps
// (with the core's zero-stuffing and channel interleaving, times 2^scaleExp).
MeasuredError MeasureError(const CoreModel& model, const std::vector<double>& designed, std::uint64_t seed,
                           int samples);

}  // namespace fir
