// The generated core's statements in exact integers. Every quantity is an integer at the fraction
// of its format: inputs at in.fraction, coefficients at coef.fraction, products and partial sums at
// mult.fraction, outputs at out.fraction. A statement quantize(q, v) is a floor to q's fraction
// (an arithmetic right shift of the exact value) and a wrap to q's word (its low bits, sign
// extended); sums of values already on a format's grid are exact, so their floor is the identity.
#include "fir/CoreSimulator.h"

#include <stdexcept>

#include "fir/TapProducts.h"

namespace fir {

namespace {

using Wide = __int128;

// The low word bits of v as a signed integer.
std::int64_t Wrap(Wide v, int word) {
    const int unused = 128 - word;
    return static_cast<std::int64_t>(static_cast<Wide>(static_cast<unsigned __int128>(v) << unused) >> unused);
}

// v*2^-shift rounded towards minus infinity; a negative shift multiplies exactly.
Wide FloorShift(Wide v, int shift) {
    if (shift >= 0) return v >> shift;
    return v * (static_cast<Wide>(1) << -shift);
}

// Index of logical place k (1-based) of a delay line kept as a ring starting at head.
std::size_t Place(std::size_t head, std::size_t k, std::size_t length) {
    std::size_t i = head + k - 1;
    return i >= length ? i - length : i;
}

}  // namespace

CoreSimulator::CoreSimulator(const CoreModel& model) : m_model(model) {
    if (m_model.sharing == Sharing::ResourceShared && m_model.form == Form::Transposed && m_model.channels > 1)
        throw std::invalid_argument("core simulator: several channels with the shared transposed form");
    m_coefFraction = m_model.coef.fraction;
    for (const TapProduct& product : TapProducts(m_model)) m_coef.push_back(product.coefficient);
    m_middleCoef = MiddleProduct(m_model).coefficient;
    m_pairPreQuantized = PairSumQuantized(m_model);
    Reset();
}

void CoreSimulator::Reset() {
    const std::size_t places = static_cast<std::size_t>(m_model.DistinctTapCount()) + 1;
    const bool foldedSharedTransposed = !m_model.IsFullyParallel() && m_model.IsTransposed() && m_model.IsFolded();
    m_line.assign(foldedSharedTransposed ? places : static_cast<std::size_t>(m_model.delayLineLength), 0);
    m_mirror.assign(foldedSharedTransposed ? places : 0, 0);
    m_products.assign(static_cast<std::size_t>(m_model.taps), 0);
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
    if (!m_model.IsTransposed()) return DirectCall(x);
    if (m_model.IsFullyParallel()) return TransposedCall(x);
    return m_model.IsFolded() ? FoldedSharedTransposedCall(x) : SharedTransposedCall(x);
}

// quantize(qmult, x*c) for an input-format x (or a sum of two) and a coefficient integer.
std::int64_t CoreSimulator::Multiply(Wide x, std::int64_t coefficient) const {
    const Wide exact = x * coefficient;
    return Wrap(FloorShift(exact, m_model.in.fraction + m_coefFraction - m_model.mult.fraction), m_model.mult.word);
}

// The product of a mirror pair a (+/-) b. Multiplier-free fully parallel cores quantise the
// pre-adder's sum to qmult before the shifted terms take it; the other forms multiply the exact sum.
std::int64_t CoreSimulator::PairProduct(std::int64_t a, std::int64_t b, std::size_t tap) const {
    const Wide sum = m_model.folding == CoefSymmetry::MagnitudeSymmetric ? static_cast<Wide>(a) - b
                                                                          : static_cast<Wide>(a) + b;
    if (!m_pairPreQuantized) return Multiply(sum, m_coef[tap]);
    const std::int64_t pre = Wrap(FloorShift(sum, m_model.in.fraction - m_model.mult.fraction), m_model.mult.word);
    const Wide exact = static_cast<Wide>(pre) * m_coef[tap];
    return Wrap(FloorShift(exact, m_coefFraction), m_model.mult.word);
}

// quantize(qout, sum*2^E) for a qmult sum.
std::int64_t CoreSimulator::ToOutput(std::int64_t sum) const {
    const int shift = m_model.mult.fraction - m_model.scaleExp - m_model.out.fraction;
    return Wrap(FloorShift(sum, shift), m_model.out.word);
}

std::int64_t CoreSimulator::DirectCall(std::int64_t x) {
    const std::size_t length = m_line.size();
    const std::size_t ch = static_cast<std::size_t>(m_model.channels);
    auto at = [&](std::size_t k) { return m_line[Place(m_head, k, length)]; };
    Wide sum = 0;
    if (m_model.IsFolded()) {
        const std::size_t pairs = static_cast<std::size_t>(m_model.PairCount());
        for (std::size_t i = 0; i < pairs; ++i) sum += PairProduct(at(ch * i + 1), at(length - ch * i), i);
        sum += Multiply(at(ch * pairs + 1), m_middleCoef);
    } else {
        for (std::size_t i = 0; i < m_coef.size(); ++i) sum += Product(at(ch * i + 1), i);
    }
    const std::int64_t y = ToOutput(Wrap(sum, m_model.mult.word));
    m_head = m_head == 0 ? length - 1 : m_head - 1;
    m_line[m_head] = Wrap(x, m_model.in.word);
    return y;
}

std::int64_t CoreSimulator::TransposedCall(std::int64_t x) {
    const std::size_t length = m_line.size();
    const bool folded = m_model.IsFolded();
    const std::size_t count = folded ? static_cast<std::size_t>(m_model.DistinctTapCount()) : m_coef.size();
    for (std::size_t k = 0; k < count; ++k) m_products[k] = Product(m_input, k);
    m_input = x;
    const std::int64_t y = m_output;
    m_output = ToOutput(m_line[Place(m_head, length, length)]);

    // Every place takes the one before it; every ch-th place from the far end adds a product:
    // 1, 2, ... (unfolded), or 1 .. M and back down M-1 .. 2, mirrored (folded).
    m_head = m_head == 0 ? length - 1 : m_head - 1;
    const std::size_t ch = static_cast<std::size_t>(m_model.channels);
    const std::size_t middle = count;
    const bool subtractMirror = m_model.folding == CoefSymmetry::MagnitudeSymmetric;
    std::size_t k = 1;
    bool turned = false;
    for (std::size_t t = 0; t + 2 <= length; t += ch) {
        std::int64_t& place = m_line[Place(m_head, length - t, length)];
        const std::int64_t product = m_products[k - 1];
        place = Wrap(static_cast<Wide>(place) + (turned && subtractMirror ? -product : product), m_model.mult.word);
        if (folded && !turned && k == middle) {
            turned = true;
            k = middle - 1;
        } else {
            k = turned ? k - 1 : k + 1;
        }
    }
    const std::int64_t last = folded ? (subtractMirror ? -m_products[0] : m_products[0]) : m_products[k - 1];
    m_line[m_head] = Wrap(last, m_model.mult.word);
    return y;
}

std::int64_t CoreSimulator::SharedTransposedCall(std::int64_t x) {
    // Place ii+1 takes place ii plus the product of tap N-1-ii (counted from 0); place 1 the last tap.
    const std::size_t length = m_line.size();
    m_head = m_head == 0 ? length - 1 : m_head - 1;
    for (std::size_t ii = length - 1; ii >= 1; --ii) {
        std::int64_t& place = m_line[Place(m_head, ii + 1, length)];
        place = Wrap(static_cast<Wide>(place) + Product(x, length - 1 - ii), m_model.mult.word);
    }
    m_line[m_head] = Product(x, length - 1);
    return ToOutput(m_line[Place(m_head, length, length)]);
}

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
        const std::int64_t temp = Product(x, jj - 1);
        const std::int64_t term = subtractMirror && jj < middle ? -temp : temp;
        const std::int64_t next = Wrap(static_cast<Wide>(s[jj - 1]) + term, m_model.mult.word);
        s[jj - 1] = previous;
        n[jj - 1] = Wrap(static_cast<Wide>(n[jj]) + temp, m_model.mult.word);
        previous = next;
    }
    s[middle] = previous;
    n[middle - 1] = previous;
    const std::int64_t y = m_output;
    m_output = ToOutput(n[0]);
    return y;
}

}  // namespace fir
