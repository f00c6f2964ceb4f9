// The polyphase interpolator's schedule over every structure, symmetry class, ratio and
// multiplier setting: each output phase's products, evaluated on symbols alone, equal the core
// called r times per symbol (random values on the calls that take no symbol); the slots and the
// multipliers stay within ceil(N/r); the vectors a testbench gets follow the same contract.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "fir/CoreModel.h"
#include "fir/CoreSimulator.h"
#include "fir/PowerOfTwo.h"
#include "verilog/HardwareTiming.h"
#include "verilog/PolyphaseSchedule.h"
#include "verilog/TestVectors.h"

namespace {

using Wide = __int128;

std::int64_t Wrap(Wide v, int word) {
    const int unused = 128 - word;
    return static_cast<std::int64_t>(static_cast<Wide>(static_cast<unsigned __int128>(v) << unused) >> unused);
}

Wide FloorShift(Wide v, int shift) { return shift >= 0 ? v >> shift : v * (static_cast<Wide>(1) << -shift); }

// One output phase from the symbols (SYMBOLS[k - d] is delay d), in the formats' integers.
std::int64_t EvaluatePhase(const fir::CoreModel& m, const std::vector<fir::PolyphaseTerm>& terms,
                           const std::vector<std::int64_t>& symbols, std::size_t k) {
    auto symbol = [&](int delay) -> Wide {
        return delay < 0 || static_cast<std::size_t>(delay) > k ? 0 : symbols[k - static_cast<std::size_t>(delay)];
    };
    Wide sum = 0;
    for (const fir::PolyphaseTerm& t : terms) {
        Wide operand = symbol(t.delayA);
        if (t.pair) operand += m.folding == fir::CoefSymmetry::MagnitudeSymmetric ? -symbol(t.delayB) : symbol(t.delayB);
        Wide product = 0;
        if (t.pairQuantized) {
            const Wide pre = Wrap(FloorShift(operand, m.in.fraction - m.mult.fraction), m.mult.word);
            product = FloorShift(pre * t.product.coefficient, m.coef.fraction);
        } else {
            product = FloorShift(operand * t.product.coefficient, m.in.fraction + m.coef.fraction - m.mult.fraction);
        }
        product = Wrap(product, m.mult.word);
        sum += t.negate ? -product : product;
    }
    return Wrap(FloorShift(Wrap(sum, m.mult.word), m.mult.fraction - m.scaleExp - m.out.fraction), m.out.word);
}

struct Case {
    fir::Form form;
    fir::Sharing sharing;
    bool multiplierFree;
    int symmetry;  // 1, -1 (opposite pairs), 0
    int taps;
    int ratio;
    int ibits;
    int cbits;
    int trunc;
};

std::vector<int> Coefficients(const Case& c, std::mt19937_64& random) {
    const int half = 1 << (c.cbits - 3);
    std::uniform_int_distribution<int> value(-half, half);
    std::vector<int> q(static_cast<std::size_t>(c.taps));
    for (int i = 0; i <= c.taps / 2; ++i) {
        q[static_cast<std::size_t>(i)] = value(random);
        const int mirror = c.symmetry == 0 ? value(random) : c.symmetry * q[static_cast<std::size_t>(i)];
        q[static_cast<std::size_t>(c.taps - 1 - i)] = i == c.taps / 2 ? q[static_cast<std::size_t>(i)] : mirror;
    }
    q[1] = 0;  // a zero tap: a product the schedule drops
    q[static_cast<std::size_t>(c.taps - 2)] = 0;
    return q;
}

fir::CoreModel Model(const Case& c, const std::vector<int>& q) {
    fir::CoreDescription d;
    d.q = q;
    if (c.multiplierFree) d.powerOfTwo = fir::DecomposePowerOfTwo(q, c.cbits);
    d.symmetry = fir::ClassifySymmetry(q);
    d.form = c.form;
    d.sharing = c.sharing;
    d.multiplierFree = c.multiplierFree;
    d.zeroStuffing = true;
    d.ratio = c.ratio;
    d.lengths = {c.ibits, c.ibits - 1, c.ibits - 2, c.ibits - 4, c.cbits, c.cbits - 1, c.trunc, 0, 1};
    return fir::MakeCoreModel(d);
}

std::string Describe(const Case& c) {
    return std::string(c.form == fir::Form::Direct ? "direct" : "transposed") +
           (c.sharing == fir::Sharing::FullyParallel ? " parallel" : " shared") + (c.multiplierFree ? " mf" : "") +
           " class " + std::to_string(c.symmetry) + " N=" + std::to_string(c.taps) + " r=" + std::to_string(c.ratio) +
           " ibits=" + std::to_string(c.ibits) + " trunc=" + std::to_string(c.trunc);
}

std::vector<Case> Cases() {
    std::vector<Case> cases;
    const int profiles[3][3] = {{12, 12, 0}, {10, 8, 5}, {32, 20, 9}};  // ibits cbits trunc
    int k = 0;
    for (const fir::Form form : {fir::Form::Direct, fir::Form::Transposed})
        for (const fir::Sharing sharing : {fir::Sharing::FullyParallel, fir::Sharing::ResourceShared})
            for (const bool mf : {false, true})
                for (const int symmetry : {1, -1, 0})
                    for (const int ratio : {2, 3, 4, 7, 8}) {
                        const int* p = profiles[k % 3];
                        const int taps = 5 + 2 * ((k * 7) % 17);
                        cases.push_back({form, sharing, mf, symmetry, taps, ratio, p[0], p[1], p[2]});
                        ++k;
                    }
    return cases;
}

TEST(PolyphaseSchedule, PhasesOfSymbolsEqualTheCoreCalledRTimesPerSymbol) {
    std::mt19937_64 random(5);
    for (const Case& c : Cases()) {
        const fir::CoreModel m = Model(c, Coefficients(c, random));
        const fir::PolyphaseSchedule s = fir::MakePolyphaseSchedule(m);
        const int r = c.ratio;
        const int limit = (c.taps + r - 1) / r;
        EXPECT_LE(s.slots, limit) << Describe(c);
        const fir::HardwareTiming t = fir::VerilogTiming(m);
        EXPECT_EQ(r, t.outputsPerInput) << Describe(c);
        if (m.IsFullyParallel()) {
            EXPECT_EQ(1, t.clocksPerSample) << Describe(c);
            EXPECT_LE(t.multipliers, c.multiplierFree ? 0 : limit) << Describe(c);
        } else {
            EXPECT_EQ(std::max(s.slots, 1), t.clocksPerSample) << Describe(c);
            EXPECT_EQ(c.multiplierFree ? 0 : 1, t.multipliers) << Describe(c);
        }
        // Symbols, then ceil(N/r) zero symbols that flush the last one's tail.
        std::vector<std::int64_t> symbols;
        std::uniform_int_distribution<std::int64_t> sample(-(std::int64_t{1} << (c.ibits - 1)),
                                                           (std::int64_t{1} << (c.ibits - 1)) - 1);
        for (int k = 0; k < 60; ++k) symbols.push_back(k % 13 == 5 ? sample.max() : sample(random));
        symbols.insert(symbols.end(), static_cast<std::size_t>(limit), 0);
        fir::CoreSimulator core(m);
        std::vector<std::int64_t> calls;
        for (const std::int64_t x : symbols) {
            for (int j = 0; j + 1 < r; ++j) calls.push_back(sample(random));  // ignored by the core
            calls.push_back(x);
        }
        for (int j = 0; j + 1 < r; ++j) calls.push_back(sample(random));
        const std::vector<std::int64_t> expected = core.Run(calls);
        for (std::size_t k = 0; k < symbols.size(); ++k)
            for (int p = 0; p < r; ++p)
                ASSERT_EQ(expected[k * static_cast<std::size_t>(r) + static_cast<std::size_t>(r - 1 + p)],
                          EvaluatePhase(m, s.phases[static_cast<std::size_t>(p)], symbols, k))
                    << Describe(c) << ", symbol " << k << ", phase " << p;
        // The flush's outputs carried the whole tail: the phases of one more zero symbol are zero.
        symbols.push_back(0);
        for (int p = 0; p < r; ++p)
            EXPECT_EQ(0, EvaluatePhase(m, s.phases[static_cast<std::size_t>(p)], symbols, symbols.size() - 1))
                << Describe(c);
    }
}

// A testbench's vectors: one sample per symbol, r outputs each, the simulator's per the contract.
TEST(PolyphaseVectors, GiveROutputsPerSymbolFromTheCore) {
    std::mt19937_64 random(9);
    for (const Case& c : {Case{fir::Form::Direct, fir::Sharing::FullyParallel, false, 1, 17, 4, 12, 12, 0},
                          Case{fir::Form::Transposed, fir::Sharing::ResourceShared, true, -1, 21, 5, 10, 8, 3}}) {
        const fir::CoreModel m = Model(c, Coefficients(c, random));
        const fir::TestVectors v = fir::MakeTestVectors(m, 50, 3);
        ASSERT_EQ(v.inputs.size() * static_cast<std::size_t>(c.ratio), v.outputs.size()) << Describe(c);
        ASSERT_EQ(v.inputs.size(), v.idleClocks.size()) << Describe(c);
        std::vector<std::int64_t> calls;
        for (const std::int64_t x : v.inputs) {
            calls.insert(calls.end(), static_cast<std::size_t>(c.ratio - 1), 0);
            calls.push_back(x);
        }
        calls.insert(calls.end(), static_cast<std::size_t>(c.ratio - 1), 0);
        fir::CoreSimulator core(m);
        const std::vector<std::int64_t> all = core.Run(calls);
        EXPECT_EQ(std::vector<std::int64_t>(all.begin() + c.ratio - 1, all.end()), v.outputs) << Describe(c);
    }
}

// A core fed at the sample rate as one phase whose delays count calls (what M multipliers side by
// side multiply-accumulate): every shared structure, class, channel count and truncation gives
// the core's outputs call for call; K, the latency and the multipliers follow M from 2 to P, and
// neither M above P nor several multipliers on a fully parallel core are taken.
TEST(ProductSchedule, SampleRateOutputsEqualTheCoreAndLanesTakeCeilPOverM) {
    std::mt19937_64 random(17);
    int k = 0;
    for (const fir::Form form : {fir::Form::Direct, fir::Form::Transposed})
        for (const bool mf : {false, true})
            for (const int symmetry : {1, -1, 0})
                for (const int trunc : {0, 3}) {
                    const int channels = form == fir::Form::Direct ? 1 + k % 3 : 1;
                    const Case c{form, fir::Sharing::ResourceShared, mf, symmetry, 7 + 2 * (k % 5), 2, 12, 12, trunc};
                    ++k;
                    fir::CoreDescription d;
                    d.q = Coefficients(c, random);
                    if (mf) d.powerOfTwo = fir::DecomposePowerOfTwo(d.q, c.cbits);
                    d.symmetry = fir::ClassifySymmetry(d.q);
                    d.form = form;
                    d.sharing = c.sharing;
                    d.multiplierFree = mf;
                    d.channels = channels;
                    d.lengths = {c.ibits, c.ibits - 1, c.ibits - 2, c.ibits - 4, c.cbits, c.cbits - 1, trunc, 0, 1};
                    const fir::CoreModel m = fir::MakeCoreModel(d);
                    const std::string what = Describe(c) + " channels=" + std::to_string(channels);
                    const fir::PolyphaseSchedule s = fir::MakeProductSchedule(m);
                    ASSERT_EQ(1u, s.phases.size()) << what;
                    std::uniform_int_distribution<std::int64_t> sample(-(std::int64_t{1} << (c.ibits - 1)),
                                                                       (std::int64_t{1} << (c.ibits - 1)) - 1);
                    std::vector<std::int64_t> calls;
                    for (int n = 0; n < 80; ++n) calls.push_back(n % 11 == 4 ? sample.min() : sample(random));
                    fir::CoreSimulator core(m);
                    const std::vector<std::int64_t> expected = core.Run(calls);
                    for (std::size_t n = 0; n < calls.size(); ++n)
                        ASSERT_EQ(expected[n], EvaluatePhase(m, s.phases.front(), calls, n)) << what << ", call " << n;

                    const int products = fir::SharedProductsPerOutput(m);
                    EXPECT_EQ(s.slots, products) << what;
                    for (int lanes = 2; lanes <= products; ++lanes) {
                        const fir::HardwareTiming t = fir::VerilogTiming(m, {fir::ProductStyle::Multiplier, lanes});
                        const int clocks = (products + lanes - 1) / lanes;
                        EXPECT_EQ(clocks, t.clocksPerSample) << what << " M=" << lanes;
                        EXPECT_EQ(clocks + 6 + fir::AdderTreeLevels(lanes), t.latencyClocks) << what << " M=" << lanes;
                        EXPECT_EQ(mf ? 0 : lanes, t.multipliers) << what << " M=" << lanes;
                        EXPECT_EQ(0, t.clearClocks) << what << " M=" << lanes;
                    }
                    EXPECT_THROW(fir::VerilogTiming(m, {fir::ProductStyle::Multiplier, products + 1}),
                                 std::invalid_argument)
                        << what;
                    d.sharing = fir::Sharing::FullyParallel;
                    EXPECT_THROW(fir::VerilogTiming(fir::MakeCoreModel(d), {fir::ProductStyle::Multiplier, 2}),
                                 std::invalid_argument)
                        << what;
                }
}

// The AXI4-Stream buffer holds the outputs in flight at full rate (a handshake every K*r clocks,
// each output leaving a clock after the core gives it) and one more handshake's, and no more than
// twice that: a power of two.
TEST(StreamBuffer, HoldsTheOutputsInFlightAndOneHandshakeMore) {
    for (const int k : {1, 2, 9, 33, 256})
        for (const int latency : {1, 2, 8, 37, 260})
            for (const int outputs : {1, 2, 5, 8}) {
                fir::HardwareTiming t;
                t.clocksPerSample = k;
                t.latencyClocks = latency;
                t.outputsPerInput = outputs;
                const int depth = fir::StreamBufferDepth(t);
                const int period = k * outputs;
                const int needed = ((latency + 2 + period - 1) / period + 1) * outputs;
                EXPECT_EQ(0, depth & (depth - 1)) << depth;
                EXPECT_GE(depth, needed) << k << " " << latency << " " << outputs;
                EXPECT_LT(depth, 2 * (needed + outputs) + 1) << k << " " << latency << " " << outputs;
            }
}

}  // namespace
