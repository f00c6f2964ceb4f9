// Latency of each architecture, from its pipeline:
//   fully parallel direct:     [pre-adders] products, adder-tree levels; one sample per clock
//   fully parallel transposed: input register; the call updates the chain one clock later
//   delay line and accumulator (shared direct; shared transposed where its sums equal a direct
//   form's): K steps; read, [pre-add], product, accumulate after the last step
//   two chains (folded shared transposed whose products drop bits): read, product, write back;
//   the registered output of the call leaves with the last step
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
int LineLatency(const CoreModel& m) { return SharedClocksPerSample(m) + 3 + (m.IsFolded() ? 1 : 0); }
int ChainsLatency(const CoreModel& m) { return SharedSteps(m) + 3; }
bool Any(const CoreModel&) { return true; }

void ParallelTransposed(std::ostream& out, const CoreModel& m, const HardwareTiming&) { WriteParallelTransposed(out, m); }

constexpr std::array<Architecture, 6> kArchitectures{{
    {Structure::ParallelDirect, Any, 1, ParallelDirectLatency, None, WriteParallelDirect},
    {Structure::ParallelTransposed, Any, 1, One, None, ParallelTransposed},
    {Structure::SharedDirect, Any, 3, LineLatency, SharedLineDepth, WriteSharedDirect},
    {Structure::SharedTransposed, Any, 5, LineLatency, SharedLineDepth, WriteSharedDirect},
    {Structure::SharedFoldedTransposed, ProductsExact, 5, LineLatency, SharedLineDepth, WriteSharedDirect},
    {Structure::SharedFoldedTransposed, Any, 5, ChainsLatency, SharedSteps, WriteSharedFoldedTransposed},
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
    {Structure::ParallelDirect, Any, 1, PolyphaseDirectLatency, None, PolyphaseDirect},
    {Structure::ParallelTransposed, Any, 1, Two, None, PolyphaseTransposed},
    {Structure::SharedDirect, Any, 1, PolyphaseSharedLatency, None, PolyphaseShared},
    {Structure::SharedTransposed, Any, 1, PolyphaseSharedLatency, None, PolyphaseShared},
    {Structure::SharedFoldedTransposed, Any, 1, PolyphaseSharedLatency, None, PolyphaseShared},
}};

}  // namespace

const Architecture& ArchitectureOf(const CoreModel& m) {
    if (IsPolyphase(m)) {
        for (const Architecture& row : kPolyphaseArchitectures)
            if (row.structure == m.structure) return row;
        throw std::invalid_argument("Verilog writer: a structure without a polyphase writer");
    }
    for (const Architecture& row : kArchitectures)
        if (row.structure == m.structure && row.takes(m)) return row;
    throw std::invalid_argument("Verilog writer: a structure without a writer");
}

}  // namespace fir::vlog
