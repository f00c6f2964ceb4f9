// Test vectors from the bit-true simulator.
#include "verilog/TestVectors.h"

#include <random>

#include "fir/CoreSimulator.h"
#include "fir/TapProducts.h"
#include "verilog/PolyphaseSchedule.h"

namespace fir {

namespace {

// The low BITS bits of a random word as a signed integer: uniform over the whole input range.
std::int64_t FullRange(std::uint64_t word, int bits) {
    const int unused = 64 - bits;
    return static_cast<std::int64_t>(word << unused) >> unused;
}

int Sign(std::int64_t v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

// Calls whose sample a zero-stuffing core takes: the counter block wraps on every ratio-th call.
bool TakesSample(const CoreModel& m, std::int64_t call) {
    return !m.zeroStuffing || call % m.ratio == m.ratio - 1;
}

// The instant's phase (mod ratio) at which the taps meeting a sample weigh most.
int BestPhase(const CoreModel& m, const std::vector<int>& signs, const std::vector<TapProduct>& taps) {
    if (!m.zeroStuffing) return 0;
    int best = 0;
    std::int64_t bestWeight = -1;
    for (int phase = 0; phase < m.ratio; ++phase) {
        std::int64_t weight = 0;
        for (std::size_t i = 0; i < signs.size(); ++i) {
            const std::int64_t call = phase + static_cast<std::int64_t>(m.ratio) * (m.taps * m.channels) -
                                      static_cast<std::int64_t>(m.channels) * static_cast<std::int64_t>(i);
            if (TakesSample(m, call)) weight += taps[i].coefficient < 0 ? -taps[i].coefficient : taps[i].coefficient;
        }
        if (weight > bestWeight) {
            bestWeight = weight;
            best = phase;
        }
    }
    return best;
}

// Appends one peak: calls from the current end up to instant T, T the first instant of PHASE
// with the whole span after the current end; SIGN picks the peak's direction.
void AppendPeak(const CoreModel& m, const std::vector<int>& signs, int phase, int sign, std::int64_t firstCall,
                std::vector<std::int64_t>& calls) {
    const std::int64_t high = (static_cast<std::int64_t>(1) << (m.in.word - 1)) - 1;
    const std::int64_t low = -(static_cast<std::int64_t>(1) << (m.in.word - 1));
    const std::int64_t span = static_cast<std::int64_t>(m.channels) * (m.taps - 1) + m.channels - 1;
    std::int64_t now = firstCall + static_cast<std::int64_t>(calls.size());
    std::int64_t instant = now + span;
    const int ratio = m.zeroStuffing ? m.ratio : 1;
    while (instant % ratio != phase % ratio) ++instant;
    for (; now <= instant; ++now) {
        const std::int64_t tap = (instant - now) / m.channels;
        const int s = tap < static_cast<std::int64_t>(signs.size()) ? sign * signs[static_cast<std::size_t>(tap)] : 0;
        calls.push_back(s > 0 ? high : (s < 0 ? low : 0));
    }
    // Zeros until the peak has left every place, the chains and the registered outputs.
    const std::int64_t flush = span + 8;
    calls.insert(calls.end(), static_cast<std::size_t>(flush), 0);
}

std::vector<int> IdleClocks(std::mt19937_64& random, std::size_t count) {
    // Half of the handshakes follow their predecessor at once, the others after 1 .. 7 idle clocks.
    std::vector<int> idle;
    for (std::size_t k = 0; k < count; ++k) {
        const std::uint64_t r = random();
        idle.push_back((r & 8) != 0 ? static_cast<int>(r & 7) : 0);
    }
    return idle;
}

// As many random outputs as a core fed call by call gets: RANDOMSAMPLES / r symbols.
TestVectors SymbolVectors(const CoreModel& m, int randomSamples, std::mt19937_64& random) {
    const std::size_t r = static_cast<std::size_t>(m.ratio);
    const int randomSymbols = (randomSamples + m.ratio - 1) / m.ratio;
    TestVectors v;
    for (int k = 0; k < randomSymbols; ++k) v.inputs.push_back(FullRange(random(), m.in.word));
    std::vector<std::int64_t> worst = WorstCaseInput(m, static_cast<std::int64_t>(randomSymbols) * m.ratio);
    worst.resize((worst.size() + r - 1) / r * r, 0);
    for (std::size_t c = r - 1; c < worst.size(); c += r) v.inputs.push_back(worst[c]);
    v.idleClocks = IdleClocks(random, v.inputs.size());
    std::vector<std::int64_t> calls;
    for (const std::int64_t symbol : v.inputs) {
        calls.insert(calls.end(), r - 1, 0);
        calls.push_back(symbol);
    }
    calls.insert(calls.end(), r - 1, 0);
    CoreSimulator simulator(m);
    const std::vector<std::int64_t> outputs = simulator.Run(calls);
    v.outputs.assign(outputs.begin() + static_cast<std::ptrdiff_t>(r - 1), outputs.end());
    return v;
}

}  // namespace

std::vector<std::int64_t> WorstCaseInput(const CoreModel& m, std::int64_t firstCall) {
    const std::vector<TapProduct> taps = TapProducts(m);
    std::vector<int> signs;
    for (const TapProduct& t : taps) signs.push_back(Sign(t.coefficient));
    const int phase = BestPhase(m, signs, taps);
    std::vector<std::int64_t> calls;
    AppendPeak(m, signs, phase, 1, firstCall, calls);
    AppendPeak(m, signs, phase, -1, firstCall, calls);
    return calls;
}

TestVectors MakeTestVectors(const CoreModel& m, int randomSamples, std::uint64_t seed) {
    std::mt19937_64 random(seed);
    if (IsPolyphase(m)) return SymbolVectors(m, randomSamples, random);
    TestVectors v;
    for (int k = 0; k < randomSamples; ++k) v.inputs.push_back(FullRange(random(), m.in.word));
    const std::vector<std::int64_t> worst = WorstCaseInput(m, randomSamples);
    v.inputs.insert(v.inputs.end(), worst.begin(), worst.end());
    v.idleClocks = IdleClocks(random, v.inputs.size());
    CoreSimulator simulator(m);
    v.outputs = simulator.Run(v.inputs);
    return v;
}

}  // namespace fir
