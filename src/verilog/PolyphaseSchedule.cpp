// Call c of the core reads its input history with a fixed delay of latencyCalls (L) calls: the
// product of tap i reads the sample of call c - L - i (c - L - i*ch with ch interleaved channels).
// Symbol k enters on call kr + r - 1 and phase p of symbol k is call kr + r - 1 + p, so tap i
// meets a symbol exactly when i = p - L (mod r), and that symbol lies (i + L - p) / r symbols
// back. A core fed at the sample rate is the case r = 1: one phase, every tap meets a sample.
#include "verilog/PolyphaseSchedule.h"

#include <algorithm>
#include <stdexcept>

namespace fir {

namespace {

int Modulo(int a, int r) { return ((a % r) + r) % r; }

// How far back tap i reads: r calls per symbol (1 at the sample rate), ch calls per place.
struct Reach {
    int ratio = 1;
    int stride = 1;
    int latency = 0;
};

Reach ReachOf(const CoreModel& m) {
    if (IsPolyphase(m)) return {m.ratio, 1, m.latencyCalls};
    return {1, m.channels, m.latencyCalls};
}

bool Meets(const CoreModel& m, int tap, int phase) {
    const Reach r = ReachOf(m);
    return Modulo(tap * r.stride + r.latency - phase, r.ratio) == 0;
}

int SymbolDelay(const CoreModel& m, int tap, int phase) {
    const Reach r = ReachOf(m);
    return (tap * r.stride + r.latency - phase) / r.ratio;
}

// Direct forms: every tap, or every mirror pair and the middle tap, as the core's sum has them.
// MIDDLE is the middle tap's product (the shared direct form writes it with literal terms).
std::vector<PolyphaseTerm> DirectTerms(const CoreModel& m, int phase, const TapProduct& middle) {
    const std::vector<TapProduct> products = TapProducts(m);
    std::vector<PolyphaseTerm> terms;
    auto delayOf = [&](int tap) { return Meets(m, tap, phase) ? SymbolDelay(m, tap, phase) : -1; };
    if (!m.IsFolded()) {
        for (int i = 0; i < m.taps; ++i) {
            const TapProduct& p = products[static_cast<std::size_t>(i)];
            if (p.coefficient != 0 && Meets(m, i, phase)) terms.push_back({delayOf(i), -1, false, false, p, false, i});
        }
        return terms;
    }
    const bool quantized = PairSumQuantized(m);
    for (int i = 0; i < m.PairCount(); ++i) {
        const TapProduct& p = products[static_cast<std::size_t>(i)];
        const int a = delayOf(i);
        const int b = delayOf(m.taps - 1 - i);
        if (p.coefficient != 0 && (a >= 0 || b >= 0)) terms.push_back({a, b, true, quantized, p, false, i});
    }
    if (middle.coefficient != 0 && Meets(m, m.PairCount(), phase))
        terms.push_back({delayOf(m.PairCount()), -1, false, false, middle, false, m.PairCount()});
    return terms;
}

// Transposed forms: one product per tap of the input, the folded chains taking the coefficient of
// the tap's mirror on the far half and, for opposite pairs, subtracting it.
std::vector<PolyphaseTerm> TransposedTerms(const CoreModel& m, int phase) {
    const std::vector<TapProduct> products = TapProducts(m);
    std::vector<PolyphaseTerm> terms;
    for (int i = 0; i < m.taps; ++i) {
        if (!Meets(m, i, phase)) continue;
        const bool farHalf = m.IsFolded() && i > m.PairCount();
        const TapProduct& p = products[static_cast<std::size_t>(farHalf ? m.taps - 1 - i : i)];
        const bool negate = farHalf && m.folding == CoefSymmetry::MagnitudeSymmetric;
        if (p.coefficient != 0) terms.push_back({SymbolDelay(m, i, phase), -1, false, false, p, negate, i});
    }
    return terms;
}

int FirstDelay(const PolyphaseTerm& t) {
    if (t.delayA < 0) return t.delayB;
    if (t.delayB < 0) return t.delayA;
    return std::min(t.delayA, t.delayB);
}

}  // namespace

bool IsPolyphase(const CoreModel& m) { return m.zeroStuffing; }

namespace {

// The products of one output phase. A transposed core joins a mirror pair before its product
// only at the sample rate and where no product drops bits (its sums then equal a direct form's).
std::vector<PolyphaseTerm> PhaseTerms(const CoreModel& m, int phase) {
    if (m.Traits().preAddsPairs) return DirectTerms(m, phase, MiddleProduct(m));
    if (!IsPolyphase(m) && m.IsFolded() && ProductsExact(m))
        return DirectTerms(m, phase, TapProducts(m)[static_cast<std::size_t>(m.PairCount())]);
    return TransposedTerms(m, phase);
}

PolyphaseSchedule MakeSchedule(const CoreModel& m) {
    PolyphaseSchedule s;
    s.ratio = IsPolyphase(m) ? m.ratio : 1;
    for (int phase = 0; phase < s.ratio; ++phase) {
        std::vector<PolyphaseTerm> terms = PhaseTerms(m, phase);
        std::stable_sort(terms.begin(), terms.end(),
                         [](const PolyphaseTerm& a, const PolyphaseTerm& b) { return FirstDelay(a) < FirstDelay(b); });
        s.slots = std::max(s.slots, static_cast<int>(terms.size()));
        for (const PolyphaseTerm& t : terms) s.depth = std::max({s.depth, t.delayA + 1, t.delayB + 1});
        s.phases.push_back(std::move(terms));
    }
    return s;
}

}  // namespace

bool ProductsExact(const CoreModel& m) { return m.in.fraction + m.coef.fraction - m.mult.fraction <= 0; }

PolyphaseSchedule MakePolyphaseSchedule(const CoreModel& m) {
    if (!m.zeroStuffing || m.channels != 1)
        throw std::invalid_argument("polyphase interpolator: the core must take one channel of symbols");
    return MakeSchedule(m);
}

PolyphaseSchedule MakeProductSchedule(const CoreModel& m) {
    if (IsPolyphase(m)) return MakePolyphaseSchedule(m);
    return MakeSchedule(m);
}

bool SlotNeedsMultiplier(const CoreModel& m, const PolyphaseSchedule& s, int slot) {
    if (m.multiplierFree) return false;
    for (const std::vector<PolyphaseTerm>& terms : s.phases) {
        if (slot >= static_cast<int>(terms.size())) continue;
        const std::int64_t c = terms[static_cast<std::size_t>(slot)].product.coefficient;
        if (c != 0 && !IsPowerOfTwoMagnitude(c)) return true;
    }
    return false;
}

}  // namespace fir
