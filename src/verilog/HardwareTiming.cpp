// Clocks per sample and latency of each structure's Verilog: K from the structure's pace, the
// latency and the clearing clocks from its row of the Verilog architectures (the polyphase row
// when the core takes symbols: K counts clocks per output, and its slots set K and the
// multipliers). AXI4-Stream adds one clock through the output buffer. Shift-add products
// lengthen the fully parallel transposed form's pipeline: the adder graph's stages, then the
// chain's low half and, a clock later, its high half; the polyphase transposed interpolator's by
// the graph's stages and the register of the products its phase picks. M multipliers side by side (M > 1) take
// every shared core to the lanes' multiply-accumulate: K = ceil(P/M) clocks per output, and the
// lanes' adder tree lengthens its pipeline (coefficient memory, addresses, input memory, operand,
// product, the tree's levels, accumulation).
#include "verilog/HardwareTiming.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "fir/TapProducts.h"
#include "verilog/PolyphaseSchedule.h"
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

// A polyphase core's multipliers: one per slot whose coefficients are not all shifts, or the
// structure's one shared multiplier.
int PolyphaseMultipliers(const CoreModel& m) {
    if (m.multiplierFree) return 0;
    if (m.Traits().pace == Pace::ProductPerClock) return 1;
    const PolyphaseSchedule s = MakePolyphaseSchedule(m);
    int multipliers = 0;
    for (int slot = 0; slot < s.slots; ++slot)
        if (SlotNeedsMultiplier(m, s, slot)) ++multipliers;
    return multipliers;
}

HardwareTiming CoreTiming(const CoreModel& m) {
    const vlog::Architecture& architecture = vlog::ArchitectureOf(m);
    RequireSupported(m, architecture);
    HardwareTiming t;
    const bool perClock = m.Traits().pace == Pace::SamplePerClock;
    if (IsPolyphase(m)) {
        t.outputsPerInput = m.ratio;
        t.multipliers = PolyphaseMultipliers(m);
        t.clocksPerSample = perClock ? 1 : PolyphaseClocksPerOutput(m);
    } else {
        t.multipliers = m.counts.multipliers;
        t.clocksPerSample = perClock ? 1 : SharedClocksPerSample(m);
    }
    t.latencyClocks = architecture.latencyClocks(m);
    t.clearClocks = architecture.clearClocks(m);
    return t;
}

HardwareTiming LanesTiming(const CoreModel& m, int lanes) {
    const int products = SharedProductsPerOutput(m);
    if (lanes > products)
        throw std::invalid_argument("Verilog writer: " + std::to_string(lanes) + " multipliers for " +
                                    std::to_string(products) + " products per output");
    HardwareTiming t;
    t.lanes = lanes;
    t.outputsPerInput = IsPolyphase(m) ? m.ratio : 1;
    t.multipliers = LaneMultipliers(m, lanes);
    t.clocksPerSample = (products + lanes - 1) / lanes;
    t.latencyClocks = t.clocksPerSample + 6 + AdderTreeLevels(lanes);
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

int SharedSteps(const CoreModel& m) { return m.ProductCount(); }

int SharedClocksPerSample(const CoreModel& m) { return std::max(SharedSteps(m), m.Traits().leastClocksPerSample); }

int PolyphaseClocksPerOutput(const CoreModel& m) { return std::max(MakePolyphaseSchedule(m).slots, 1); }

int ParallelDirectTerms(const CoreModel& m) {
    const std::vector<TapProduct> products = TapProducts(m);
    int terms = 0;
    const int count = m.IsFolded() ? m.PairCount() : m.taps;
    for (int i = 0; i < count; ++i)
        if (products[static_cast<std::size_t>(i)].coefficient != 0) ++terms;
    if (m.IsFolded() && MiddleProduct(m).coefficient != 0) ++terms;
    return terms;
}

int SharedProductsPerOutput(const CoreModel& m) { return MakeProductSchedule(m).slots; }

int LaneMultipliers(const CoreModel& m, int lanes) { return m.multiplierFree ? 0 : lanes; }

int AdderTreeLevels(int terms) {
    int levels = 0;
    for (int n = terms; n > 1; n = (n + 1) / 2) ++levels;
    return levels;
}

HardwareTiming VerilogTiming(const CoreModel& m, const HardwareChoices& choices) {
    const bool shiftAdd = choices.products == ProductStyle::ShiftAdd;
    if (shiftAdd && (!m.IsFullyParallel() || (IsPolyphase(m) && !m.IsTransposed())))
        throw std::invalid_argument(
            "Verilog writer: shift-add products need a fully parallel core, fed at the sample rate or transposed");
    if (choices.multipliers < 1 || (choices.multipliers > 1 && m.IsFullyParallel()))
        throw std::invalid_argument("Verilog writer: several multipliers need a resource-shared core");
    HardwareTiming t = CoreTiming(m);
    if (choices.multipliers > 1) t = LanesTiming(m, choices.multipliers);
    if (shiftAdd) {
        t.multipliers = 0;
        if (m.IsTransposed()) t.latencyClocks = vlog::TransposedGraph(m).Depth() + (IsPolyphase(m) ? 3 : 2);
    }
    if (choices.stream == StreamInterface::Axis) {
        t.streamBuffer = StreamBufferDepth(t);
        t.latencyClocks += 1;
    }
    return t;
}

}  // namespace fir
