// The output quantizer's rounding and overflow, and the worst-case output of a core.
#include "fir/OutputQuantizer.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "fir/TapProducts.h"

namespace fir {

namespace {

using Wide = __int128;

Wide Pow2(int k) { return static_cast<Wide>(1) << k; }

// Floor of v*2^-shift for shift > 0 (arithmetic shift of two's complement).
Wide Floor(Wide v, int shift) { return v >> shift; }
Wide Ceil(Wide v, int shift) { return -((-v) >> shift); }

Wide Convergent(Wide v, int shift) {
    const Wide down = Floor(v, shift);
    const Wide rest = v - down * Pow2(shift);
    const Wide half = Pow2(shift - 1);
    if (rest > half) return down + 1;
    if (rest < half) return down;
    return down + (down & 1);
}

// Calls of one input phase: with zero-stuffing, tap i reads the sample of the call channels*i
// calls back, so the taps that meet samples together share (channels*i) mod ratio.
std::vector<std::vector<std::size_t>> TapsMeetingTogether(const CoreModel& m) {
    const std::size_t groups = m.zeroStuffing ? static_cast<std::size_t>(m.ratio) : 1;
    std::vector<std::vector<std::size_t>> taps(groups);
    for (std::size_t i = 0; i < static_cast<std::size_t>(m.taps); ++i)
        taps[(static_cast<std::size_t>(m.channels) * i) % groups].push_back(i);
    return taps;
}

int WordHolding(Wide lowest, Wide highest) {
    int word = 1;
    while (lowest < -Pow2(word - 1) || highest > Pow2(word - 1) - 1) ++word;
    return word;
}

}  // namespace

Wide RoundShift(Wide v, int shift, OutputRounding rounding) {
    if (shift <= 0) return v * Pow2(-shift);
    const Wide half = Pow2(shift - 1);
    switch (rounding) {
        case OutputRounding::Floor: return Floor(v, shift);
        case OutputRounding::Ceil: return Ceil(v, shift);
        case OutputRounding::Fix: return v < 0 ? Ceil(v, shift) : Floor(v, shift);
        case OutputRounding::Nearest: return Floor(v + half, shift);
        case OutputRounding::Round: return v < 0 ? -Floor(-v + half, shift) : Floor(v + half, shift);
        case OutputRounding::Convergent: return Convergent(v, shift);
    }
    return Floor(v, shift);
}

std::int64_t FitToWord(Wide v, int word, OutputOverflow overflow) {
    if (overflow == OutputOverflow::Saturate) {
        const Wide top = Pow2(word - 1) - 1;
        return static_cast<std::int64_t>(std::clamp(v, -top - 1, top));
    }
    const int unused = 128 - word;
    return static_cast<std::int64_t>(static_cast<Wide>(static_cast<unsigned __int128>(v) << unused) >> unused);
}

std::int64_t QuantizeOutput(const CoreModel& m, std::int64_t sum) {
    const Wide held = FitToWord(sum, m.mult.word, OutputOverflow::Wrap);
    const int shift = m.mult.fraction - m.scaleExp - m.out.fraction;
    return FitToWord(RoundShift(held, shift, m.outputRounding), m.out.word, m.outputOverflow);
}

const char* RoundingName(OutputRounding rounding) {
    switch (rounding) {
        case OutputRounding::Floor: return "floor";
        case OutputRounding::Round: return "round";
        case OutputRounding::Nearest: return "nearest";
        case OutputRounding::Convergent: return "convergent";
        case OutputRounding::Ceil: return "ceil";
        case OutputRounding::Fix: return "fix";
    }
    return "floor";
}

const char* OverflowName(OutputOverflow overflow) {
    return overflow == OutputOverflow::Saturate ? "saturate" : "wrap";
}

double OutputRoundingErrorLsb(OutputRounding rounding) {
    switch (rounding) {
        case OutputRounding::Round:
        case OutputRounding::Nearest:
        case OutputRounding::Convergent: return 0.5;
        default: return 1.0;
    }
}

double OutputHeadroom::WorstMagnitude(const CoreModel& m) const {
    const double magnitude = std::max(std::fabs(static_cast<double>(lowest)), std::fabs(static_cast<double>(highest)));
    return std::ldexp(magnitude, -m.out.fraction);
}

OutputHeadroom WorstCaseOutput(const CoreModel& m) {
    // Exact sums at the products' own fraction, in.fraction + coef.fraction.
    const std::vector<TapProduct> products = TapProducts(m);
    const Wide mostNegative = -Pow2(m.in.word - 1);
    const Wide mostPositive = Pow2(m.in.word - 1) - 1;
    const int productShift = m.in.fraction + m.coef.fraction - m.mult.fraction;
    const Wide floorLoss = productShift > 0 ? Pow2(productShift) : 0;  // just over what one floor drops
    Wide lowest = 0;
    Wide highest = 0;
    for (const std::vector<std::size_t>& group : TapsMeetingTogether(m)) {
        Wide low = 0;
        Wide high = 0;
        for (const std::size_t i : group) {
            const Wide c = products[i].coefficient;
            if (c == 0) continue;
            high += c > 0 ? c * mostPositive : c * mostNegative;
            low += c > 0 ? c * mostNegative : c * mostPositive;
            low -= floorLoss;
        }
        lowest = std::min(lowest, low);
        highest = std::max(highest, high);
    }
    const int shift = m.in.fraction + m.coef.fraction - m.scaleExp - m.out.fraction;
    OutputHeadroom h;
    const Wide lo = RoundShift(lowest, shift, m.outputRounding);
    const Wide hi = RoundShift(highest, shift, m.outputRounding);
    h.lowest = static_cast<std::int64_t>(lo);
    h.highest = static_cast<std::int64_t>(hi);
    h.wordNeeded = WordHolding(lo, hi);
    h.headroomBits = m.out.word - h.wordNeeded;
    return h;
}

}  // namespace fir
