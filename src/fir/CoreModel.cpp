// The core model's derived facts: folding, formats, counter width, latency and resources.
#include "fir/CoreModel.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>
#include <stdexcept>

#include "fir/TapProducts.h"

namespace fir {

namespace {

void CheckDescription(const CoreDescription& s) {
    const int n = static_cast<int>(s.q.size());
    if (n < 1 || n % 2 == 0) throw std::invalid_argument("core model: the tap count must be odd and positive");
    if (s.channels < 1) throw std::invalid_argument("core model: at least one channel is needed");
    if (s.multiplierFree && static_cast<int>(s.powerOfTwo.size()) != n)
        throw std::invalid_argument("core model: one power-of-two pair per tap is needed");
    if (s.zeroStuffing && s.ratio < 2) throw std::invalid_argument("core model: zero-stuffing needs a ratio of 2 or more");
}

bool HasTwoTerms(const PowerOfTwoPair& p) { return p.s1 != 0 && p.s2 != 0; }

// Taps 0 .. count-1 of a multiplier-free core whose shift-and-add form needs a second adder.
int TwoTermTaps(const CoreModel& m, int count) {
    int n = 0;
    for (int i = 0; i < count; ++i)
        if (HasTwoTerms(m.powerOfTwo[static_cast<std::size_t>(i)])) ++n;
    return n;
}

int NonZeroTaps(const CoreModel& m, int count) {
    int n = 0;
    for (int i = 0; i < count; ++i)
        if (m.q[static_cast<std::size_t>(i)] != 0) ++n;
    return n;
}

// General multipliers: a product by 0 or by a power of two is wiring and a shift, and products
// that all take the same input need one multiplier per distinct odd part of the coefficients'
// magnitudes (x*12 is x*3 shifted; the negative of a product is a subtraction).
int GeneralMultipliers(const CoreModel& m) {
    if (m.multiplierFree) return 0;
    const MultiplierRule rule = m.Traits().multipliers;
    if (rule == MultiplierRule::Shared) return 1;
    const std::vector<TapProduct> products = TapProducts(m);
    const std::size_t count = static_cast<std::size_t>(m.ProductCount());
    std::set<std::int64_t> oddParts;
    int general = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::int64_t c = products[i].coefficient;
        if (c == 0 || IsPowerOfTwoMagnitude(c)) continue;
        ++general;
        oddParts.insert(OddPart(c));
    }
    return rule == MultiplierRule::PerOddPart ? static_cast<int>(oddParts.size()) : general;
}

int Adders(const CoreModel& m) {
    const int distinct = m.ProductCount();
    const int shiftAdds = m.multiplierFree ? TwoTermTaps(m, distinct) : 0;
    const int preAdds = m.IsFolded() ? NonZeroTaps(m, m.PairCount()) : 0;
    switch (m.structure) {
        case Structure::ParallelDirect: return preAdds + std::max(NonZeroTaps(m, distinct) - 1, 0) + shiftAdds;
        // Every non-zero tap, mirrored ones included, adds its product into the chain.
        case Structure::ParallelTransposed: return std::max(NonZeroTaps(m, m.taps) - 1, 0) + shiftAdds;
        // The accumulator or the chain step, the pre-adder of a mirror pair or the mirrored chain,
        // the second shifted term.
        case Structure::SharedDirect: return 1 + (m.IsFolded() ? 1 : 0) + (m.multiplierFree ? 1 : 0);
        case Structure::SharedTransposed: return 1 + (m.multiplierFree ? 1 : 0);
        case Structure::SharedFoldedTransposed: return 2 + (m.multiplierFree ? 1 : 0);
    }
    return 0;
}

// Words of state carried from one call to the next (the zero-stuffing counter aside).
int DelayRegisters(const CoreModel& m) {
    switch (m.structure) {
        case Structure::ParallelDirect:
        case Structure::SharedDirect:
        case Structure::SharedTransposed: return m.delayLineLength;
        case Structure::ParallelTransposed: return m.delayLineLength + 2;  // the registered input and output
        // M places of the main chain, M-1 of the mirrored one, the output.
        case Structure::SharedFoldedTransposed: return m.DistinctTapCount() + (m.DistinctTapCount() - 1) + 1;
    }
    return 0;
}

}  // namespace

CoefSymmetry ClassifySymmetry(const std::vector<int>& q) {
    const std::size_t n = q.size();
    bool equal = true;
    bool magnitudes = true;
    for (std::size_t i = 0; i < n / 2; ++i) {
        const int a = q[i];
        const int b = q[n - 1 - i];
        if (a != b) equal = false;
        if (std::abs(a) != std::abs(b)) magnitudes = false;
    }
    if (equal) return CoefSymmetry::Symmetric;
    return magnitudes ? CoefSymmetry::MagnitudeSymmetric : CoefSymmetry::None;
}

CoefSymmetry StructureFolding(const std::vector<int>& q, CoefSymmetry symmetry) {
    if (symmetry != CoefSymmetry::MagnitudeSymmetric) return symmetry;
    const std::size_t n = q.size();
    for (std::size_t i = 0; i < n / 2; ++i)
        if (q[i] != -q[n - 1 - i]) return CoefSymmetry::None;
    return CoefSymmetry::MagnitudeSymmetric;
}

CoreFormats DeriveCoreFormats(const CoreWordLengths& n) {
    CoreFormats f;
    f.in = {n.ibits, n.ifbits};
    f.out = {n.obits, n.ofbits - n.scaleExp};
    if (f.out.fraction < 0) f.out = {n.obits + n.scaleExp - n.ofbits, 0};
    f.mult = {n.cbits + n.ibits - n.trunc, n.ifbits + n.coefFracBits - n.trunc};
    if (f.mult.fraction < 0) f.mult.fraction = 0;
    // The sum of all products needs the integer bits of the coefficients' absolute sum.
    if (n.coefSumIntegerBits >= 2) f.mult.word += n.coefSumIntegerBits - 1;
    f.coef = {n.cbits, n.coefFracBits};
    return f;
}

FixedFormat LimitToDouble(FixedFormat f) {
    constexpr int kDoubleBits = 53;
    if (f.word > kDoubleBits) {
        f.fraction -= f.word - kDoubleBits;
        f.word = kDoubleBits;
    }
    if (f.fraction < 0) f.fraction = 0;
    return f;
}

int CounterBits(int ratio) {
    const float bits = std::ceil(std::log10(static_cast<float>(ratio)) / std::log10(2.0f));
    return static_cast<int>(bits);
}

ResourceCounts CountResources(const CoreModel& m) {
    ResourceCounts counts;
    counts.multipliers = GeneralMultipliers(m);
    counts.adders = Adders(m);
    counts.delayRegisters = DelayRegisters(m);
    return counts;
}

CoreModel MakeCoreModel(const CoreDescription& s) {
    CheckDescription(s);
    CoreModel m;
    m.taps = static_cast<int>(s.q.size());
    m.channels = s.channels;
    m.multiplierFree = s.multiplierFree;
    m.q = s.q;
    if (s.multiplierFree) m.powerOfTwo = s.powerOfTwo;
    m.symmetry = s.symmetry;
    m.folding = StructureFolding(s.q, s.symmetry);
    m.structure = SelectStructure(s.form, s.sharing, m.IsFolded());
    m.cbits = s.lengths.cbits;
    m.trunc = s.lengths.trunc;
    m.scaleExp = s.lengths.scaleExp;
    m.zeroStuffing = s.zeroStuffing;
    m.ratio = s.ratio;
    m.counterBits = CounterBits(s.ratio);
    const CoreFormats formats = DeriveCoreFormats(s.lengths);
    m.in = LimitToDouble(formats.in);
    m.out = LimitToDouble(formats.out);
    m.mult = LimitToDouble(formats.mult);
    m.coef = LimitToDouble(formats.coef);
    m.delayLineLength = m.channels * (m.taps - 1) + 1;
    m.latencyCalls = m.Traits().latencyCalls;
    m.counts = CountResources(m);
    return m;
}

}  // namespace fir
