// Latency of each structure's Verilog, from its pipeline:
//   fully parallel direct:     [pre-adders] products, adder-tree levels; one sample per clock
//   fully parallel transposed: input register; the call updates the chain one clock later
//   shared direct:             K = steps; read, [pre-add], product, accumulate after the last step
//   shared transposed:         read, product, write back; the output leaves with step 0 (unfolded)
//                              or with the last step (folded, the registered output of the call)
#include "verilog/VerilogArchitectures.h"

#include <array>
#include <stdexcept>

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

}  // namespace

const Architecture& ArchitectureOf(Structure structure) {
    for (const Architecture& row : kArchitectures)
        if (row.structure == structure) return row;
    throw std::invalid_argument("Verilog writer: a structure without a writer");
}

}  // namespace fir::vlog
