// Clocks per sample and latency of each structure's Verilog, from its pipeline:
//   fully parallel direct:     [pre-adders] products, adder-tree levels; one sample per clock
//   fully parallel transposed: input register; the call updates the chain one clock later
//   shared direct:             K = steps; read, [pre-add], product, accumulate after the last step
//   shared transposed:         read, product, write back; the output leaves with step 0 (unfolded)
//                              or with the last step (folded, the registered output of the call)
//   polyphase (symbols in, r outputs each), fully parallel direct: phase operands, products,
//                              adder-tree levels; fully parallel transposed: the symbol register,
//                              then the chain and the output register; shared: coefficient
//                              memory, symbol memory, operand, product, then K accumulations
//   AXI4-Stream: the plain core's latency and one clock through the output buffer
#include "verilog/HardwareTiming.h"

#include <algorithm>
#include <stdexcept>

#include "fir/TapProducts.h"
#include "verilog/PolyphaseSchedule.h"

namespace fir {

namespace {

void RequireSupported(const CoreModel& m) {
    if (m.IsFullyParallel()) return;
    if (m.IsTransposed() && m.channels > 1)
        throw std::invalid_argument("Verilog writer: several channels with the shared transposed form");
    const int least = m.IsTransposed() ? 5 : 3;
    if (m.taps < least)
        throw std::invalid_argument("Verilog writer: a shared " + std::string(m.IsTransposed() ? "transposed" : "direct") +
                                    " core needs at least " + std::to_string(least) + " taps");
}

int ParallelDirectLatency(const CoreModel& m) {
    const int preAdders = m.IsFolded() ? 1 : 0;
    return preAdders + 1 + AdderTreeLevels(ParallelDirectTerms(m));
}

HardwareTiming PolyphaseTiming(const CoreModel& m) {
    const PolyphaseSchedule s = MakePolyphaseSchedule(m);
    HardwareTiming t;
    t.outputsPerInput = m.ratio;
    if (!m.IsFullyParallel()) {
        t.clocksPerSample = std::max(s.slots, 1);
        t.latencyClocks = t.clocksPerSample + 5;
        t.multipliers = m.multiplierFree ? 0 : 1;
        return t;
    }
    for (int slot = 0; slot < s.slots; ++slot)
        if (SlotNeedsMultiplier(m, s, slot)) ++t.multipliers;
    t.latencyClocks = m.IsTransposed() ? 2 : 3 + AdderTreeLevels(std::max(s.slots, 1));
    return t;
}

HardwareTiming CoreTiming(const CoreModel& m) {
    RequireSupported(m);
    if (IsPolyphase(m)) return PolyphaseTiming(m);
    HardwareTiming t;
    t.multipliers = m.counts.multipliers;
    if (m.IsFullyParallel()) {
        t.clocksPerSample = 1;
        t.latencyClocks = m.IsTransposed() ? 1 : ParallelDirectLatency(m);
        return t;
    }
    t.clocksPerSample = SharedClocksPerSample(m);
    const int steps = SharedSteps(m);
    if (!m.IsTransposed()) {
        t.latencyClocks = steps + 3 + (m.IsFolded() ? 1 : 0);
        t.clearClocks = m.delayLineLength;
    } else if (!m.IsFolded()) {
        t.latencyClocks = 4;
        t.clearClocks = m.taps;
    } else {
        t.latencyClocks = steps + 3;
        t.clearClocks = steps;
    }
    return t;
}

}  // namespace

int StreamBufferDepth(const HardwareTiming& core) {
    const int period = core.clocksPerSample * core.outputsPerInput;
    const int handshakesInFlight = (core.latencyClocks + period + 2 + period - 1) / period + 1;
    int depth = 2;
    while (depth < handshakesInFlight * core.outputsPerInput) depth *= 2;
    return depth;
}

int SharedSteps(const CoreModel& m) { return m.IsFolded() ? m.DistinctTapCount() : m.taps; }

int SharedClocksPerSample(const CoreModel& m) {
    return m.IsTransposed() ? std::max(SharedSteps(m), 4) : SharedSteps(m);
}

int ParallelDirectTerms(const CoreModel& m) {
    const std::vector<TapProduct> products = TapProducts(m);
    int terms = 0;
    const int count = m.IsFolded() ? m.PairCount() : m.taps;
    for (int i = 0; i < count; ++i)
        if (products[static_cast<std::size_t>(i)].coefficient != 0) ++terms;
    if (m.IsFolded() && MiddleProduct(m).coefficient != 0) ++terms;
    return terms;
}

int AdderTreeLevels(int terms) {
    int levels = 0;
    for (int n = terms; n > 1; n = (n + 1) / 2) ++levels;
    return levels;
}

HardwareTiming VerilogTiming(const CoreModel& m, const HardwareChoices& choices) {
    HardwareTiming t = CoreTiming(m);
    if (choices.stream == StreamInterface::Axis) {
        t.streamBuffer = StreamBufferDepth(t);
        t.latencyClocks += 1;
    }
    return t;
}

}  // namespace fir
