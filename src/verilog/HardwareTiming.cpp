// Clocks per sample and latency of each structure's Verilog: K from the structure's pace, the
// latency and the clearing clocks from its row of the Verilog architectures. Shift-add products
// lengthen the fully parallel transposed form's pipeline: the adder graph's stages, then the
// chain's low half and, a clock later, its high half.
#include "verilog/HardwareTiming.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "fir/TapProducts.h"
#include "verilog/VerilogArchitectures.h"
#include "verilog/VerilogStructures.h"

namespace fir {

namespace {

void RequireSupported(const CoreModel& m, const vlog::Architecture& architecture) {
    if (m.Traits().oneChannel && m.channels > 1)
        throw std::invalid_argument("Verilog writer: several channels with the shared transposed form");
    if (m.taps < architecture.leastTaps)
        throw std::invalid_argument("Verilog writer: a shared " + std::string(m.IsTransposed() ? "transposed" : "direct") +
                                    " core needs at least " + std::to_string(architecture.leastTaps) + " taps");
}

}  // namespace

int SharedSteps(const CoreModel& m) { return m.ProductCount(); }

int SharedClocksPerSample(const CoreModel& m) { return std::max(SharedSteps(m), m.Traits().leastClocksPerSample); }

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
    const vlog::Architecture& architecture = vlog::ArchitectureOf(m.structure);
    RequireSupported(m, architecture);
    const bool shiftAdd = choices.products == ProductStyle::ShiftAdd;
    if (shiftAdd && !m.IsFullyParallel())
        throw std::invalid_argument("Verilog writer: shift-add products need constant coefficients, a fully parallel core");
    HardwareTiming t;
    t.multipliers = shiftAdd ? 0 : m.counts.multipliers;
    t.clocksPerSample = m.Traits().pace == Pace::SamplePerClock ? 1 : SharedClocksPerSample(m);
    t.latencyClocks = architecture.latencyClocks(m);
    if (shiftAdd && m.IsTransposed()) t.latencyClocks = vlog::TransposedGraph(m).Depth() + 2;
    t.clearClocks = architecture.clearClocks(m);
    return t;
}

}  // namespace fir
