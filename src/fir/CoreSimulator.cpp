// The generated core's statements in exact integers. Every quantity is an integer at the fraction
// of its format: inputs at in.fraction, coefficients at coef.fraction, products and partial sums at
// mult.fraction, outputs at out.fraction. A statement quantize(q, v) is a floor to q's fraction
// (an arithmetic right shift of the exact value) and a wrap to q's word (its low bits, sign
// extended); sums of values already on a format's grid are exact, so their floor is the identity.
// Each structure runs in 64-bit integers when its sums provably fit, else in 128-bit integers.
#include "fir/CoreSimulator.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <type_traits>

#include "fir/TapProducts.h"

namespace fir {

namespace {

using Wide = __int128;

// The low word bits of v as a signed integer.
std::int64_t Wrap(Wide v, int word) {
    const int unused = 128 - word;
    return static_cast<std::int64_t>(static_cast<Wide>(static_cast<unsigned __int128>(v) << unused) >> unused);
}

// The same for a value already held in 64 bits (word <= 64).
std::int64_t Wrap(std::int64_t v, int word) {
    const int unused = 64 - word;
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(v) << unused) >> unused;
}

// v*2^-shift rounded towards minus infinity; a negative shift multiplies exactly.
template <typename T>
T FloorShift(T v, int shift) {
    if (shift >= 0) return v >> shift;
    return v * (static_cast<T>(1) << -shift);
}

// Index of logical place k (1-based) of a delay line kept as a ring starting at head.
std::size_t Place(std::size_t head, std::size_t k, std::size_t length) {
    std::size_t i = head + k - 1;
    return i >= length ? i - length : i;
}

}  // namespace

CoreSimulator::CoreSimulator(const CoreModel& model) : m_model(model) {
    if (m_model.Traits().oneChannel && m_model.channels > 1)
        throw std::invalid_argument("core simulator: several channels with the shared transposed form");
    m_productShift = m_model.in.fraction + m_model.coef.fraction - m_model.mult.fraction;
    for (const TapProduct& product : TapProducts(m_model)) m_coef.push_back(product.coefficient);
    m_middleCoef = MiddleProduct(m_model).coefficient;
    m_pairPreQuantized = PairSumQuantized(m_model);
    m_narrow = SumsFitInt64();
    BuildChain();
    Reset();
}

// Bounds of the largest exact product and of a sum of every product of one output, against 2^62.
bool CoreSimulator::SumsFitInt64() const {
    long double coefficient = std::fabs(static_cast<long double>(m_middleCoef));
    for (const std::int64_t c : m_coef) coefficient = std::max(coefficient, std::fabs(static_cast<long double>(c)));
    const long double input = std::ldexp(1.0L, m_model.in.word - 1);
    const bool pairs = m_model.IsFolded() && m_model.Traits().preAddsPairs;
    long double factor = pairs ? 2 * input : input;
    int shift = m_productShift;
    if (pairs && m_pairPreQuantized) {
        factor = std::min(factor * std::ldexp(1.0L, m_model.mult.fraction - m_model.in.fraction),
                          std::ldexp(1.0L, m_model.mult.word - 1));
        shift = m_model.coef.fraction;
    }
    const long double exact = factor * coefficient;
    const long double product = std::ldexp(exact, -shift) + 1;
    const long double limit = std::ldexp(1.0L, 62);
    return m_model.mult.word <= 62 && exact < limit && (m_model.taps + 2) * product < limit;
}

// The fully parallel transposed chain: every ch-th place from the far end adds a product of the
// registered input, 1, 2, ... (unfolded), or 1 .. M and back down M-1 .. 2, mirrored (folded);
// place 1 takes the last one.
void CoreSimulator::BuildChain() {
    m_chainCoef.clear();
    m_chainNegate.clear();
    if (m_model.structure != Structure::ParallelTransposed) return;
    const std::size_t length = static_cast<std::size_t>(m_model.delayLineLength);
    const std::size_t ch = static_cast<std::size_t>(m_model.channels);
    const bool folded = m_model.IsFolded();
    const std::size_t middle = static_cast<std::size_t>(m_model.DistinctTapCount());
    const bool subtractMirror = m_model.folding == CoefSymmetry::MagnitudeSymmetric;
    std::size_t k = 1;
    bool turned = false;
    for (std::size_t t = 0; t + 2 <= length; t += ch) {
        m_chainCoef.push_back(m_coef[k - 1]);
        m_chainNegate.push_back(turned && subtractMirror ? -1 : 0);
        if (folded && !turned && k == middle) {
            turned = true;
            k = middle - 1;
        } else {
            k = turned ? k - 1 : k + 1;
        }
    }
    m_chainCoef.push_back(folded ? m_coef[0] : m_coef[k - 1]);
    m_chainNegate.push_back(folded && subtractMirror ? -1 : 0);
}

void CoreSimulator::Reset() {
    const std::size_t places = static_cast<std::size_t>(m_model.DistinctTapCount()) + 1;
    const std::size_t length = static_cast<std::size_t>(m_model.delayLineLength);
    const bool twoChains = m_model.structure == Structure::SharedFoldedTransposed;
    if (twoChains) m_line.assign(places, 0);
    else if (!m_model.IsTransposed()) m_line.assign(2 * length, 0);  // every input twice: one window
    else m_line.assign(length, 0);
    m_mirror.assign(twoChains ? places : 0, 0);
    m_head = 0;
    m_input = 0;
    m_output = 0;
    m_counter = 0;
}

std::int64_t CoreSimulator::Step(std::int64_t input) {
    if (!m_model.zeroStuffing) return Call(input);
    // The counter block: a sample enters on every ratio-th call, zeros in between.
    if (m_counter == m_model.ratio - 1) {
        m_counter = 0;
        return Call(input);
    }
    ++m_counter;
    return Call(0);
}

std::vector<std::int64_t> CoreSimulator::Run(const std::vector<std::int64_t>& inputs) {
    std::vector<std::int64_t> outputs;
    outputs.reserve(inputs.size());
    for (const std::int64_t x : inputs) outputs.push_back(Step(x));
    return outputs;
}

std::int64_t CoreSimulator::Call(std::int64_t x) {
    // The 64-bit bounds hold for inputs of the input format; anything else takes the wide path.
    const std::int64_t limit = std::int64_t{1} << (m_model.in.word - 1);
    const bool inRange = x >= -limit && x < limit && m_input >= -limit && m_input < limit;
    return m_narrow && inRange ? Dispatch<std::int64_t>(x) : Dispatch<Wide>(x);
}

template <typename T>
std::int64_t CoreSimulator::Dispatch(std::int64_t x) {
    switch (m_model.structure) {
        case Structure::ParallelDirect:
        case Structure::SharedDirect: return DirectCall<T>(x);
        case Structure::ParallelTransposed: return TransposedCall<T>(x);
        case Structure::SharedTransposed: return SharedTransposedCall<T>(x);
        case Structure::SharedFoldedTransposed: return FoldedSharedTransposedCall<T>(x);
    }
    return 0;
}

// A product or partial sum as stored: unwrapped on the 64-bit path, wrapped to qmult on the wide one.
template <typename T>
std::int64_t CoreSimulator::Keep(T value) const {
    if constexpr (std::is_same_v<T, std::int64_t>) return value;
    else return Wrap(value, m_model.mult.word);
}

// quantize(qmult, x*c) for an input-format x (or a sum of two) and a coefficient integer.
template <typename T>
T CoreSimulator::Product(T x, std::int64_t coefficient) const {
    const T floored = FloorShift<T>(x * coefficient, m_productShift);
    if constexpr (std::is_same_v<T, std::int64_t>) return floored;
    else return Wrap(floored, m_model.mult.word);
}

// The product of a mirror pair a (+/-) b. Multiplier-free fully parallel cores quantise the
// pre-adder's sum to qmult before the shifted terms take it; the other forms multiply the exact sum.
template <typename T>
T CoreSimulator::PairProduct(std::int64_t a, std::int64_t b, std::int64_t coefficient) const {
    const T sum = m_model.folding == CoefSymmetry::MagnitudeSymmetric ? static_cast<T>(a) - b : static_cast<T>(a) + b;
    if (!m_pairPreQuantized) return Product<T>(sum, coefficient);
    // The pre-adder's wrap stays: a product reads it.
    const std::int64_t pre = Wrap(static_cast<T>(FloorShift<T>(sum, m_model.in.fraction - m_model.mult.fraction)),
                                  m_model.mult.word);
    const T floored = FloorShift<T>(static_cast<T>(pre) * coefficient, m_model.coef.fraction);
    if constexpr (std::is_same_v<T, std::int64_t>) return floored;
    else return Wrap(floored, m_model.mult.word);
}

// quantize(qout, sum*2^E) for a qmult sum.
std::int64_t CoreSimulator::ToOutput(std::int64_t sum) const {
    const int shift = m_model.mult.fraction - m_model.scaleExp - m_model.out.fraction;
    return Wrap(FloorShift<Wide>(Wrap(sum, m_model.mult.word), shift), m_model.out.word);
}

template <typename T>
std::int64_t CoreSimulator::DirectCall(std::int64_t x) {
    const std::size_t length = static_cast<std::size_t>(m_model.delayLineLength);
    const std::size_t ch = static_cast<std::size_t>(m_model.channels);
    const std::int64_t* place = &m_line[m_head];  // place k is place[k-1]
    T sum = 0;
    if (m_model.IsFolded()) {
        const std::size_t pairs = static_cast<std::size_t>(m_model.PairCount());
        for (std::size_t i = 0; i < pairs; ++i) sum += PairProduct<T>(place[ch * i], place[length - 1 - ch * i], m_coef[i]);
        sum += Product<T>(place[ch * pairs], m_middleCoef);
    } else {
        for (std::size_t i = 0; i < m_coef.size(); ++i) sum += Product<T>(place[ch * i], m_coef[i]);
    }
    const std::int64_t y = ToOutput(Wrap(sum, m_model.mult.word));
    m_head = m_head == 0 ? length - 1 : m_head - 1;
    m_line[m_head] = m_line[m_head + length] = Wrap(x, m_model.in.word);
    return y;
}

template <typename T>
std::int64_t CoreSimulator::TransposedCall(std::int64_t x) {
    const std::size_t length = m_line.size();
    const T input = m_input;
    m_input = x;
    const std::int64_t y = m_output;
    m_output = ToOutput(m_line[Place(m_head, length, length)]);
    // Every place takes the one before it; the chain's steps then add their products. Step j
    // updates place L - j*ch, at ring index head-1-j*ch while that is not negative, else L more.
    m_head = m_head == 0 ? length - 1 : m_head - 1;
    const std::size_t ch = static_cast<std::size_t>(m_model.channels);
    const std::size_t adds = m_chainCoef.size() - 1;
    const std::size_t before = std::min(adds, (m_head + ch - 1) / ch);  // steps with j*ch < head
    auto add = [&](std::size_t j, std::size_t index) {
        const T product = Product<T>(input, m_chainCoef[j]);
        const T mask = m_chainNegate[j];
        m_line[index] = Keep<T>(static_cast<T>(m_line[index]) + ((product ^ mask) - mask));
    };
    for (std::size_t j = 0; j < before; ++j) add(j, m_head - 1 - j * ch);
    for (std::size_t j = before; j < adds; ++j) add(j, m_head + length - 1 - j * ch);
    const T product = Product<T>(input, m_chainCoef[adds]);
    const T mask = m_chainNegate[adds];
    m_line[m_head] = Keep<T>((product ^ mask) - mask);
    return y;
}

template <typename T>
std::int64_t CoreSimulator::SharedTransposedCall(std::int64_t x) {
    // Place ii+1 takes place ii plus the product of tap N-1-ii (counted from 0); place 1 the last tap.
    const std::size_t length = m_line.size();
    m_head = m_head == 0 ? length - 1 : m_head - 1;
    for (std::size_t ii = length - 1; ii >= 1; --ii) {
        std::int64_t& place = m_line[Place(m_head, ii + 1, length)];
        place = Keep<T>(static_cast<T>(place) + Product<T>(x, m_coef[length - 1 - ii]));
    }
    m_line[m_head] = Keep<T>(Product<T>(x, m_coef[length - 1]));
    return ToOutput(m_line[Place(m_head, length, length)]);
}

template <typename T>
std::int64_t CoreSimulator::FoldedSharedTransposedCall(std::int64_t x) {
    // Two chains over the M distinct taps: the mirrored one (m_mirror, rebuilt from its previous
    // places) and the main one (m_line), joined at the middle place.
    const std::size_t middle = static_cast<std::size_t>(m_model.DistinctTapCount());
    const bool subtractMirror = m_model.folding == CoefSymmetry::MagnitudeSymmetric;
    std::vector<std::int64_t>& s = m_mirror;
    std::vector<std::int64_t>& n = m_line;
    std::int64_t previous = 0;  // tmp(jj), the mirrored chain's value written in this call
    s[0] = 0;
    for (std::size_t jj = 1; jj <= middle; ++jj) {
        const T temp = Product<T>(x, m_coef[jj - 1]);
        const T term = subtractMirror && jj < middle ? -temp : temp;
        const std::int64_t next = Keep<T>(static_cast<T>(s[jj - 1]) + term);
        s[jj - 1] = previous;
        n[jj - 1] = Keep<T>(static_cast<T>(n[jj]) + temp);
        previous = next;
    }
    s[middle] = previous;
    n[middle - 1] = previous;
    const std::int64_t y = m_output;
    m_output = ToOutput(n[0]);
    return y;
}

}  // namespace fir
