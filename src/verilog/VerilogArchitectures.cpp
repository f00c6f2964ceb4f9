// Latency of each architecture, from its pipeline:
//   fully parallel direct:     [pre-adders] products, adder-tree levels; one sample per clock
//   fully parallel transposed: input register; the call updates the chain one clock later
//   delay line and accumulator (shared direct; shared transposed where its sums equal a direct
//   form's): K steps; read, [pre-add], product, accumulate after the last step
//   two chains (folded shared transposed whose products drop bits): read, product, write back;
//   the registered output of the call leaves with the last step
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

}  // namespace

bool ProductsExact(const CoreModel& m) { return m.in.fraction + m.coef.fraction - m.mult.fraction <= 0; }

const Architecture& ArchitectureOf(const CoreModel& m) {
    for (const Architecture& row : kArchitectures)
        if (row.structure == m.structure && row.takes(m)) return row;
    throw std::invalid_argument("Verilog writer: a structure without a writer");
}

}  // namespace fir::vlog
