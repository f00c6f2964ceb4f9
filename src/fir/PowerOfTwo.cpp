// The two-term power-of-two form of integer coefficients, for multiplier-free cores. The form
// is the one the exhaustive search in its fixed order settles on; it is found without walking
// that order: first the smallest error any candidate reaches, then, among the candidates of
// that error (they spell one of at most two values), the one the search would keep.
#include "fir/PowerOfTwo.h"

#include <algorithm>
#include <bit>
#include <cstdint>

namespace fir {

namespace {

using Wide = std::int64_t;

// The candidates' kinds in the order the search tries them for one (n, e, s1).
enum class Kind { MinusSecond = 0, PlusSecond = 1, FirstAlone = 2 };

// One candidate of the search: s1*2^n + s2*2^e (s2 = 0 for "first term alone").
struct Candidate {
    int s1 = 0;
    int n = 0;
    Kind kind = Kind::FirstAlone;
    int e = 0;

    int SecondSign() const { return kind == Kind::MinusSecond ? -1 : kind == Kind::PlusSecond ? 1 : 0; }
    // On an error equal to the best so far the search keeps a candidate without a first term,
    // or a first term alone; it keeps the first of the others.
    bool TakesTies() const { return s1 == 0 || kind == Kind::FirstAlone; }
};

// The place of a candidate in the search order: exponents descending, first sign -1, +1, 0.
Wide Position(const Candidate& c, int top) {
    const int signIndex = c.s1 == -1 ? 0 : c.s1 == 1 ? 1 : 2;
    return ((static_cast<Wide>(top - c.n) * (top + 1) + (top - c.e)) * 3 + signIndex) * 3 + static_cast<int>(c.kind);
}

Wide Abs(Wide value) { return value < 0 ? -value : value; }

// The distance from r to the nearest 2^e with 0 <= e <= top.
Wide NearestPowerDistance(Wide r, int top) {
    if (r <= 1) return 1 - r;
    const Wide highest = Wide{1} << top;
    if (r >= highest) return r - highest;
    const int k = std::bit_width(static_cast<std::uint64_t>(r)) - 1;  // 2^k <= r < 2^(k+1)
    return std::min(r - (Wide{1} << k), (Wide{2} << k) - r);
}

// The smallest |v - x| over every candidate x.
Wide SmallestError(Wide v, int top) {
    Wide best = Abs(v);  // the first term alone with s1 = 0
    for (int n = 0; n <= top; ++n) {
        for (const int s1 : {-1, 1}) {
            const Wide r = v - s1 * (Wide{1} << n);
            best = std::min({best, Abs(r), NearestPowerDistance(r, top), NearestPowerDistance(-r, top)});
        }
    }
    // Without a first term the second term alone (+-2^e) is a candidate too.
    return std::min({best, NearestPowerDistance(v, top), NearestPowerDistance(-v, top)});
}

// The exponent e (0 <= e <= top) with 2^e == magnitude, or -1.
int ExactExponent(Wide magnitude, int top) {
    if (magnitude <= 0 || (magnitude & (magnitude - 1)) != 0) return -1;
    const int e = std::countr_zero(static_cast<std::uint64_t>(magnitude));
    return e <= top ? e : -1;
}

// The first candidate spelling x and the last one of them that takes ties, in search order.
struct Spellings {
    bool any = false;
    Candidate first;
    Wide firstPosition = 0;
    bool anyTakingTies = false;
    Candidate lastTakingTies;
    Wide lastPosition = 0;

    void Add(const Candidate& c, int top) {
        const Wide position = Position(c, top);
        if (!any || position < firstPosition) {
            any = true;
            first = c;
            firstPosition = position;
        }
        if (c.TakesTies() && (!anyTakingTies || position > lastPosition)) {
            anyTakingTies = true;
            lastTakingTies = c;
            lastPosition = position;
        }
    }
};

void AddSpellings(Wide x, int top, Spellings& spellings) {
    for (int n = 0; n <= top; ++n) {
        for (const int s1 : {-1, 1, 0}) {
            const Wide r = x - s1 * (Wide{1} << n);
            if (r == 0) {
                // The first term alone is tried once for every second exponent; of those only
                // the first (e = top) and the last (e = 0) in the search order can be kept.
                spellings.Add({s1, n, Kind::FirstAlone, top}, top);
                spellings.Add({s1, n, Kind::FirstAlone, 0}, top);
                continue;
            }
            const int e = ExactExponent(Abs(r), top);
            if (e >= 0) spellings.Add({s1, n, r > 0 ? Kind::PlusSecond : Kind::MinusSecond, e}, top);
        }
    }
}

// The search starts from an error of 2^bits that no candidate has yet. The first candidate with
// the smallest error is taken when that error is below the start; every later candidate of that
// error that takes ties replaces it, so the last of those wins when there is one.
PowerOfTwoPair NearestTwoTermForm(int value, int bits) {
    const int top = bits - 1;
    const Wide v = value;
    const Wide start = Wide{1} << bits;
    const Wide error = SmallestError(v, top);
    if (error > start) return PowerOfTwoPair{};
    Spellings spellings;
    AddSpellings(v - error, top, spellings);
    if (error != 0) AddSpellings(v + error, top, spellings);
    if (!spellings.anyTakingTies && error == start) return PowerOfTwoPair{};
    const Candidate& kept = spellings.anyTakingTies ? spellings.lastTakingTies : spellings.first;
    return PowerOfTwoPair{kept.s1, kept.n - top, kept.SecondSign(), kept.e - top};
}

}  // namespace

std::vector<PowerOfTwoPair> DecomposePowerOfTwo(const std::vector<int>& q, int cbits) {
    const std::size_t n = q.size();
    std::vector<PowerOfTwoPair> pairs(n);
    for (std::size_t i = 0; i < n; ++i) {
        // The form depends on the value alone: a tap equal to its mirror takes the mirror's form.
        const std::size_t mirror = n - 1 - i;
        pairs[i] = mirror < i && q[mirror] == q[i] ? pairs[mirror] : NearestTwoTermForm(q[i], cbits);
    }
    return pairs;
}

}  // namespace fir
