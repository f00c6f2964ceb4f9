// Product coefficients per structure: integers at the coefficient fraction, and for
// multiplier-free cores the signed shifts they are made of.
#include "fir/TapProducts.h"

namespace fir {

namespace {

// The low word bits of v as a signed integer.
std::int64_t WrapToWord(std::int64_t v, int word) {
    const int unused = 64 - word;
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(v) << unused) >> unused;
}

ShiftTerm LiteralTerm(int sign, int exponent, int fraction) { return {sign, exponent + fraction}; }

// A literal term quantised to qcoef: +2^(word-1) wraps to -2^(word-1).
ShiftTerm QuantizedTerm(int sign, int exponent, const FixedFormat& coef) {
    ShiftTerm t = LiteralTerm(sign, exponent, coef.fraction);
    if (t.sign == 0) return t;
    if (t.shift >= coef.word) return {};
    if (t.shift == coef.word - 1) t.sign = -1;
    return t;
}

std::int64_t TermValue(const ShiftTerm& t) { return t.sign * (static_cast<std::int64_t>(1) << t.shift); }

TapProduct FromTerms(ShiftTerm a, ShiftTerm b) {
    TapProduct p;
    p.terms = {a, b};
    p.coefficient = TermValue(a) + TermValue(b);
    return p;
}

TapProduct LiteralProduct(const PowerOfTwoPair& pair, int fraction) {
    return FromTerms(LiteralTerm(pair.s1, pair.d, fraction), LiteralTerm(pair.s2, pair.f, fraction));
}

TapProduct QuantizedProduct(const PowerOfTwoPair& pair, const FixedFormat& coef) {
    return FromTerms(QuantizedTerm(pair.s1, pair.d, coef), QuantizedTerm(pair.s2, pair.f, coef));
}

}  // namespace

std::vector<TapProduct> TapProducts(const CoreModel& m) {
    std::vector<TapProduct> products(static_cast<std::size_t>(m.taps));
    for (std::size_t i = 0; i < products.size(); ++i) {
        if (!m.multiplierFree)
            products[i].coefficient = WrapToWord(m.q[i], m.coef.word);
        else if (m.IsFullyParallel())
            products[i] = LiteralProduct(m.powerOfTwo[i], m.coef.fraction);
        else
            products[i] = QuantizedProduct(m.powerOfTwo[i], m.coef);
    }
    return products;
}

TapProduct MiddleProduct(const CoreModel& m) {
    const std::size_t middle = static_cast<std::size_t>(m.PairCount());
    if (m.multiplierFree && !m.IsFullyParallel()) return LiteralProduct(m.powerOfTwo[middle], m.coef.fraction);
    return TapProducts(m)[middle];
}

bool PairSumQuantized(const CoreModel& m) { return m.multiplierFree && m.IsFullyParallel(); }

bool IsPowerOfTwoMagnitude(std::int64_t value) {
    const std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    return magnitude != 0 && (magnitude & (magnitude - 1)) == 0;
}

std::int64_t OddPart(std::int64_t value) {
    std::int64_t magnitude = value < 0 ? -value : value;
    while (magnitude != 0 && magnitude % 2 == 0) magnitude /= 2;
    return magnitude;
}

}  // namespace fir
