// The Verilog side of the table of structures: for each structure, its writer and how its clock
// timing follows from the model. A new architecture is one row here beside its row in
// fir/Structure.h, and one writer.
#pragma once

#include <ostream>

#include "fir/CoreModel.h"
#include "verilog/HardwareTiming.h"

namespace fir::vlog {

struct Architecture {
    Structure structure;
    int leastTaps;                                // the shared sequencers' smallest filter
    int (*latencyClocks)(const CoreModel& model);
    int (*clearClocks)(const CoreModel& model);   // clocks with in_ready low after reset
    void (*write)(std::ostream& out, const CoreModel& model, const HardwareTiming& timing);
};

const Architecture& ArchitectureOf(Structure structure);

}  // namespace fir::vlog
