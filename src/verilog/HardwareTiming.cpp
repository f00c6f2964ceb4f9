// Clocks per sample and latency of each structure's Verilog, from its pipeline:
//   fully parallel direct:     [pre-adders] products, adder-tree levels; one sample per clock
//   fully parallel transposed: input register; the call updates the chain one clock later;
//                              with shift-add products the adder graph's stages come between,
//                              and the chain's high half updates one clock after its low half
//   shared direct:             K = steps; read, [pre-add], product, accumulate after the last step
//   shared transposed:         read, product, write back; the output leaves with step 0 (unfolded)
//                              or with the last step (folded, the registered output of the call)
#include "verilog/HardwareTiming.h"

#include <algorithm>
#include <stdexcept>

#include "fir/TapProducts.h"
#include "verilog/VerilogStructures.h"

namespace fir {

namespace {

void RequireSupported(const CoreModel& m, const HardwareChoices& choices) {
    if (m.IsFullyParallel()) return;
    if (choices.products == ProductStyle::ShiftAdd)
        throw std::invalid_argument("Verilog writer: shift-add products need constant coefficients, a fully parallel core");
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

}  // namespace

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
    RequireSupported(m, choices);
    HardwareTiming t;
    const bool shiftAdd = choices.products == ProductStyle::ShiftAdd;
    t.multipliers = shiftAdd ? 0 : m.counts.multipliers;
    if (m.IsFullyParallel()) {
        t.clocksPerSample = 1;
        if (!m.IsTransposed()) t.latencyClocks = ParallelDirectLatency(m);
        else if (shiftAdd) t.latencyClocks = vlog::TransposedGraph(m).Depth() + 2;  // graph, low half, high half
        else t.latencyClocks = 1;
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

}  // namespace fir
