// The testbench of a core whose handshake is not one call with one output on plain ports: a
// polyphase core, or any core with AXI4-Stream ports.
#pragma once

#include <ostream>
#include <string>

#include "fir/CoreModel.h"
#include "verilog/HardwareTiming.h"

namespace fir {

void WriteStreamTestbench(std::ostream& out, const CoreModel& model, const std::string& moduleName, int samples,
                          const HardwareTiming& timing, bool axis);

}  // namespace fir
