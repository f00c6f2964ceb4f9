// The polyphase interpolators (a symbol per handshake, r outputs each, from the model's
// PolyphaseSchedule) and the AXI4-Stream frame around any core. The bodies start after the
// module's input section (take, x_in) as the other structures' do.
#pragma once

#include <ostream>
#include <string>

#include "fir/CoreModel.h"
#include "verilog/HardwareTiming.h"
#include "verilog/PolyphaseSchedule.h"

namespace fir::vlog {

void WritePolyphaseParallelDirect(std::ostream& out, const CoreModel& model, const PolyphaseSchedule& schedule);
void WritePolyphaseParallelTransposed(std::ostream& out, const CoreModel& model, const PolyphaseSchedule& schedule);
void WritePolyphaseShared(std::ostream& out, const CoreModel& model, const PolyphaseSchedule& schedule,
                          const HardwareTiming& timing);

// The phase counter of the fully parallel interpolators: ACTIVE while a symbol's outputs are
// computed, PHASE 0 .. r-1; in_ready lets the next symbol in on the last phase.
void WritePhaseCounter(std::ostream& out, int ratio);

// Module MODULENAME with AXI4-Stream ports around module CORENAME (the plain core of MODEL).
void WriteAxisFrame(std::ostream& out, const CoreModel& model, const HardwareTiming& timing,
                    const std::string& moduleName, const std::string& coreName);

// Bits of a tdata bus carrying WIDTH bits: WIDTH rounded up to whole bytes.
int ByteWidth(int width);

}  // namespace fir::vlog
