// Call c of the core reads its input history with a fixed delay of latencyCalls (L) calls: the
// product of tap i reads the sample of call c - L - i. Symbol k enters on call kr + r - 1 and
// phase p of symbol k is call kr + r - 1 + p, so tap i meets a symbol exactly when
// i = p - L (mod r), and that symbol lies (i + L - p) / r symbols back.
#include "verilog/PolyphaseSchedule.h"

#include <algorithm>
#include <stdexcept>

namespace fir {

namespace {

int Modulo(int a, int r) { return ((a % r) + r) % r; }

bool Meets(const CoreModel& m, int tap, int phase) { return Modulo(tap - (phase - m.latencyCalls), m.ratio) == 0; }

int SymbolDelay(const CoreModel& m, int tap, int phase) { return (tap + m.latencyCalls - phase) / m.ratio; }

// Direct forms: every tap, or every mirror pair and the middle tap, as the core's sum has them.
std::vector<PolyphaseTerm> DirectTerms(const CoreModel& m, int phase) {
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
    const TapProduct middle = MiddleProduct(m);
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

PolyphaseSchedule MakePolyphaseSchedule(const CoreModel& m) {
    if (!m.zeroStuffing || m.channels != 1)
        throw std::invalid_argument("polyphase interpolator: the core must take one channel of symbols");
    PolyphaseSchedule s;
    s.ratio = m.ratio;
    for (int phase = 0; phase < m.ratio; ++phase) {
        std::vector<PolyphaseTerm> terms = m.Traits().preAddsPairs ? DirectTerms(m, phase) : TransposedTerms(m, phase);
        std::stable_sort(terms.begin(), terms.end(),
                         [](const PolyphaseTerm& a, const PolyphaseTerm& b) { return FirstDelay(a) < FirstDelay(b); });
        s.slots = std::max(s.slots, static_cast<int>(terms.size()));
        for (const PolyphaseTerm& t : terms) s.depth = std::max({s.depth, t.delayA + 1, t.delayB + 1});
        s.phases.push_back(std::move(terms));
    }
    return s;
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
