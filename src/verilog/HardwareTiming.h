// What the Verilog of a core costs in time: clocks per sample, latency in clocks, the clocks its
// memories take to clear after reset, and the structure facts the writer shares with it (steps of
// the shared sequencer, terms of the parallel adder tree). A design report reads it beside the
// model's resource counts.
#pragma once

#include "fir/CoreModel.h"
#include "verilog/HardwareChoices.h"

namespace fir {

struct HardwareTiming {
    int clocksPerSample = 1;  // K: a new sample every K clocks at most (in_ready low in between)
    int latencyClocks = 0;    // rising edges from a handshake's to the one that samples its out_valid
    int clearClocks = 0;      // after reset, clocks with in_ready low while the memories clear
    int multipliers = 0;      // general multipliers
    int outputsPerInput = 1;  // a polyphase core's handshake takes a symbol and gives r outputs
    int streamBuffer = 0;     // AXI4-Stream: output words the buffer holds (0: plain ports)
    int lanes = 1;            // products side by side in a resource-shared core (-hdl_multipliers)
};

// Throws std::invalid_argument for the models the Verilog writer does not take: the shared
// transposed form with several channels (as the simulator), a shared core of fewer taps than
// its sequencer needs (direct: 3, transposed: 5; the generator's smallest filter has 5), more
// multipliers than a shared core has products per output, or several on a fully parallel core.
HardwareTiming VerilogTiming(const CoreModel& model, const HardwareChoices& choices = {});

// Depth of the output buffer of an AXI4-Stream core whose plain core has timing CORE: the words
// in flight from a handshake to the consumer at full rate, and room for one more handshake's
// outputs, rounded up to a power of two.
int StreamBufferDepth(const HardwareTiming& core);

// Products per sample that a resource-shared core computes: N, or (N+1)/2 when folded.
int SharedSteps(const CoreModel& model);

// Clocks per sample of a shared core: its steps, at least the structure's least (4 for the
// transposed forms, whose chain memories are read again 4 clocks after they are written).
int SharedClocksPerSample(const CoreModel& model);

// Clocks per output of a resource-shared polyphase core: the products of its busiest phase.
int PolyphaseClocksPerOutput(const CoreModel& model);

// Non-zero products a fully parallel direct core adds (pairs and middle when folded).
int ParallelDirectTerms(const CoreModel& model);

// P: the non-zero products one output of a resource-shared core takes (zero taps skipped, a
// folded pair counted once where its sum may be formed before the product; polyphase: the busiest
// phase's). Its -hdl_multipliers is at most P.
int SharedProductsPerOutput(const CoreModel& model);

// The general multipliers of a resource-shared core with LANES products side by side (2 .. P):
// one per lane, each reading its own coefficient memory; none multiplier-free.
int LaneMultipliers(const CoreModel& model, int lanes);

// Registered levels of a pairwise adder tree over the given number of terms.
int AdderTreeLevels(int terms);

}  // namespace fir
