// The synthesizable Verilog-2005 module of a core: one clock, synchronous active-high reset,
// a valid/ready input and a valid output, and arithmetic bit-identical to the MATLAB core of the
// same model (each handshake is one call of the core; each call's output leaves on one out_valid
// cycle, a constant number of clocks later, in handshake order). A core fed at the symbol rate
// is a polyphase interpolator instead: each handshake is a symbol, and r outputs follow it.
// With AXI4-Stream ports the module wraps the plain core (MODULENAME_core) in an output buffer.
#pragma once

#include <ostream>
#include <string>

#include "fir/CoreModel.h"
#include "verilog/HardwareChoices.h"

namespace fir {

// Writes module MODULENAME for MODEL: ports clk, rst, in_valid, in_ready, in_data, out_valid,
// out_data in this order (or the AXI4-Stream ports), with a header comment stating formats, K,
// latency and resources.
// Throws std::invalid_argument for a model VerilogTiming refuses.
void WriteVerilog(std::ostream& out, const CoreModel& model, const std::string& moduleName,
                  const HardwareChoices& choices = {});

}  // namespace fir
