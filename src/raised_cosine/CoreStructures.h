// Text of the fixed-point core function body for every filter structure: fully parallel and
// resource-shared, direct and transposed, folded by symmetry or not, with multipliers or as
// sums of two shifted terms. Pure text writers: everything they need is in CoreLayout.
#pragma once

#include <ostream>
#include <vector>

#include "raised_cosine/CoefficientDesign.h"

namespace rcos {

struct CoreLayout {
    int tapCount = 0;       // N, odd
    int channels = 1;       // ch: interleaved channels
    CoefSymmetry symmetry = CoefSymmetry::Symmetric;
    std::vector<int> q;     // integer coefficients; value q/2^(cbits-1)
    int cbits = 0;
    std::vector<PowerOfTwoPair> powerOfTwo;  // one per tap when multiplierFree
    bool transposed = false;
    bool multiplierFree = false;
    bool fullyParallel = true;
    int scaleExp = 0;       // E
};

using fir::CoreFormats;
using fir::CoreWordLengths;
using fir::CounterBits;
using fir::DeriveCoreFormats;
using fir::FixedFormat;

// The input section: zero-stuffing counter (ratio r, counter width w) or the plain copy.
void WriteInputSection(std::ostream& out, bool zeroStuffing, int ratio, int counterBits);

// The folding the structure writers use: the layout's symmetry class, except that a class -1 set
// is folded only when every mirror pair is exactly opposite (q[i] == -q[N-1-i]). A set that mixes
// equal and opposite pairs has no single operator joining its pairs, so it is written unfolded
// (class 0) in the same form.
CoefSymmetry StructureFolding(const CoreLayout& layout);

// Everything after the four quantizer declarations: declarations of the state, products,
// adder tree or loop, output and state update, folded as StructureFolding says. Coefficient
// values are written with the stream's precision (the caller sets 32, general notation). Throws
// std::invalid_argument when the layout is inconsistent (even or non-positive tap count, q or
// powerOfTwo of the wrong size).
void WriteStructure(std::ostream& out, const CoreLayout& layout);

}  // namespace rcos
