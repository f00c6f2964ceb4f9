// The Verilog side of the table of structures: for each structure, the architectures that build
// it (the first that takes the model), their writers and how their clock timing follows. A new architecture is one row here beside its row in
// fir/Structure.h, and one writer.
#pragma once

#include <ostream>

#include "fir/CoreModel.h"
#include "verilog/HardwareTiming.h"

namespace fir::vlog {

struct Architecture {
    Structure structure;
    bool (*takes)(const CoreModel& model);        // the first row of the structure that takes it
    int leastTaps;                                // the shared sequencers' smallest filter
    int (*latencyClocks)(const CoreModel& model);
    int (*clearClocks)(const CoreModel& model);   // clocks with in_ready low after reset
    void (*write)(std::ostream& out, const CoreModel& model, const HardwareTiming& timing);
};

// The row that writes MODEL: its structure's, or for a core fed at the symbol rate the polyphase
// interpolator's row of that structure.
const Architecture& ArchitectureOf(const CoreModel& model);

}  // namespace fir::vlog
