// Latency of each structure's Verilog, from its pipeline:
//   fully parallel direct:     [pre-adders] products, adder-tree levels; one sample per clock
//   fully parallel transposed: input register; the call updates the chain one clock later
//   shared direct:             K = steps; read, [pre-add], product, accumulate after the last step
//   shared transposed:         read, product, write back; the output leaves with step 0 (unfolded)
//                              or with the last step (folded, the registered output of the call)
// and of the polyphase interpolator that stands in for each when the core takes symbols:
//   fully parallel direct:     phase operands, products, adder-tree levels over the slots
//   fully parallel transposed: the symbol register, then the chain and the output register
//   shared (every form):       coefficient memory, symbol memory, operand, product, K accumulations
#include "verilog/VerilogArchitectures.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "verilog/PolyphaseSchedule.h"
#include "verilog/VerilogPolyphase.h"
#include "verilog/VerilogStructures.h"

namespace fir::vlog {

namespace {

int ParallelDirectLatency(const CoreModel& m) {
    const int preAdders = m.IsFolded() ? 1 : 0;
    return preAdders + 1 + AdderTreeLevels(ParallelDirectTerms(m));
}

int None(const CoreModel&) { return 0; }
int One(const CoreModel&) { return 1; }
int SharedDirectLatency(const CoreModel& m) { return SharedSteps(m) + 3 + (m.IsFolded() ? 1 : 0); }
int Four(const CoreModel&) { return 4; }
int FoldedChainsLatency(const CoreModel& m) { return SharedSteps(m) + 3; }
int DelayLine(const CoreModel& m) { return m.delayLineLength; }
int Taps(const CoreModel& m) { return m.taps; }

void ParallelTransposed(std::ostream& out, const CoreModel& m, const HardwareTiming&) { WriteParallelTransposed(out, m); }

constexpr std::array<Architecture, 5> kArchitectures{{
    {Structure::ParallelDirect, 1, ParallelDirectLatency, None, WriteParallelDirect},
    {Structure::ParallelTransposed, 1, One, None, ParallelTransposed},
    {Structure::SharedDirect, 3, SharedDirectLatency, DelayLine, WriteSharedDirect},
    {Structure::SharedTransposed, 5, Four, Taps, WriteSharedTransposed},
    {Structure::SharedFoldedTransposed, 5, FoldedChainsLatency, SharedSteps, WriteSharedFoldedTransposed},
}};

int PolyphaseDirectLatency(const CoreModel& m) {
    return 3 + AdderTreeLevels(std::max(MakePolyphaseSchedule(m).slots, 1));
}
int Two(const CoreModel&) { return 2; }
int PolyphaseSharedLatency(const CoreModel& m) { return PolyphaseClocksPerOutput(m) + 5; }

void PolyphaseDirect(std::ostream& out, const CoreModel& m, const HardwareTiming&) {
    WritePolyphaseParallelDirect(out, m, MakePolyphaseSchedule(m));
}
void PolyphaseTransposed(std::ostream& out, const CoreModel& m, const HardwareTiming&) {
    WritePolyphaseParallelTransposed(out, m, MakePolyphaseSchedule(m));
}
void PolyphaseShared(std::ostream& out, const CoreModel& m, const HardwareTiming& t) {
    WritePolyphaseShared(out, m, MakePolyphaseSchedule(m), t);
}

// The polyphase interpolators: the shared ones multiply-accumulate over a symbol memory with the
// arithmetic of their structure's products, so that every shared structure has the same writer.
constexpr std::array<Architecture, 5> kPolyphaseArchitectures{{
    {Structure::ParallelDirect, 1, PolyphaseDirectLatency, None, PolyphaseDirect},
    {Structure::ParallelTransposed, 1, Two, None, PolyphaseTransposed},
    {Structure::SharedDirect, 1, PolyphaseSharedLatency, None, PolyphaseShared},
    {Structure::SharedTransposed, 1, PolyphaseSharedLatency, None, PolyphaseShared},
    {Structure::SharedFoldedTransposed, 1, PolyphaseSharedLatency, None, PolyphaseShared},
}};

}  // namespace

const Architecture& ArchitectureOf(const CoreModel& model) {
    if (!IsPolyphase(model)) return ArchitectureOf(model.structure);
    for (const Architecture& row : kPolyphaseArchitectures)
        if (row.structure == model.structure) return row;
    throw std::invalid_argument("Verilog writer: a structure without a polyphase writer");
}

const Architecture& ArchitectureOf(Structure structure) {
    for (const Architecture& row : kArchitectures)
        if (row.structure == structure) return row;
    throw std::invalid_argument("Verilog writer: a structure without a writer");
}

}  // namespace fir::vlog
