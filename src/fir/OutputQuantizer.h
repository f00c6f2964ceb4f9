// The core's output quantizer, qout: a qmult sum to an output integer with the output's rounding
// and overflow modes, and the worst case a core's output can reach, which says whether a given
// output word can overflow. The simulator, the error figures and the report read it.
#pragma once

#include <cstdint>

#include "fir/CoreModel.h"

namespace fir {

// v*2^-shift rounded by the mode; a shift of 0 or less multiplies exactly.
__int128 RoundShift(__int128 v, int shift, OutputRounding rounding);

// v in a signed word: its low bits (wrap) or the nearer end of the word's range (saturate).
std::int64_t FitToWord(__int128 v, int word, OutputOverflow overflow);

// quantize(qout, sum*2^E) for a sum at mult.fraction (wrapped to qmult first, as the core holds it).
std::int64_t QuantizeOutput(const CoreModel& model, std::int64_t sum);

// The MATLAB quantizer's words for the modes ("convergent", "saturate").
const char* RoundingName(OutputRounding rounding);
const char* OverflowName(OutputOverflow overflow);

// At most half an output LSB for the rounding modes that pick the nearer neighbour, less than one
// for floor, ceil and fix.
double OutputRoundingErrorLsb(OutputRounding rounding);

// The extremes of the core's output over every input it can meet: each tap meets a full-scale
// sample of its own sign (the most negative sample, or the largest positive one), and with
// zero-stuffing only the taps that see the same call's samples meet them together. Each product's
// floor counts as up to one qmult LSB down, and the output's rounding applies.
struct OutputHeadroom {
    std::int64_t lowest = 0;   // output integers at out.fraction, unwrapped and unsaturated
    std::int64_t highest = 0;
    int wordNeeded = 0;        // the fewest output bits (at out.fraction) that hold both
    int headroomBits = 0;      // out.word - wordNeeded: negative when the output can overflow
    double WorstMagnitude(const CoreModel& model) const;
    bool CanOverflow() const { return headroomBits < 0; }
};

OutputHeadroom WorstCaseOutput(const CoreModel& model);

}  // namespace fir
