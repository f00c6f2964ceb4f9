// The polyphase interpolators (a symbol per handshake, r outputs each, from the model's
// PolyphaseSchedule) and the AXI4-Stream frame around any core. The bodies start after the
// module's input section (take, x_in) as the other structures' do.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "fir/CoreModel.h"
#include "verilog/HardwareTiming.h"
#include "verilog/PolyphaseSchedule.h"

namespace fir::vlog {

void WritePolyphaseParallelDirect(std::ostream& out, const CoreModel& model, const PolyphaseSchedule& schedule);
void WritePolyphaseParallelTransposed(std::ostream& out, const CoreModel& model, const PolyphaseSchedule& schedule);
// The transposed interpolator with every product of the symbol from one adder graph (NAME's
// products module): no multiplier; the phase picks the products.
void WritePolyphaseTransposedShiftAdd(std::ostream& out, const CoreModel& model, const PolyphaseSchedule& schedule,
                                      const std::string& name);
void WritePolyphaseShared(std::ostream& out, const CoreModel& model, const PolyphaseSchedule& schedule,
                          const HardwareTiming& timing);

// Resource-shared multiply-accumulate over a symbol (or sample) memory with M lanes side by side:
// every shared core when -hdl_multipliers is above 1 (timing.lanes > 1).
void WriteSharedLanes(std::ostream& out, const CoreModel& model, const PolyphaseSchedule& schedule,
                      const HardwareTiming& timing);

// The sequencer of the multiply-accumulate writers: active, step (0 .. CLOCKS-1, step_last) and,
// for r = RATIO > 1 outputs per symbol, phase (phase_last); in_ready lets the next input in on
// the last step of the last output.
void WritePhaseSequencer(std::ostream& out, int ratio, int clocks);

// Pieces of the multiply-accumulate writers. A coefficient-memory entry is the coefficient
// integer, or for a multiplier-free core two shifted terms {use, negative, shift} (CoefficientBits
// wide); P null is the entry of no product.
int ShiftBits(const CoreModel& model);
int CoefficientBits(const CoreModel& model);
std::string CoefficientField(const CoreModel& model, const TapProduct* p);
bool HasPairs(const PolyphaseSchedule& schedule);
// (USE ? VALUE : 0) over WIDTH bits.
std::string Masked(const std::string& use, const std::string& value, int width);
// The memory (NOUN memory: Symbol, Sample) of the inputs an output reaches (REACH): a ring
// written at each handshake, delay d at write_addr - 1 - d; FILLED counts the handshakes since
// reset up to REACH. COPIES names one array per read port (a synthesis tool left to replicate a
// memory of many read ports itself may search their mappings for far too long).
void WriteSymbolMemory(std::ostream& out, const CoreModel& model, const std::string& noun, int reach,
                       int addressBits, int filledBits, const std::vector<std::string>& copies);
// PREFIXfloored, the product of OPERAND (OPERANDWIDTH bits) and the coefficient-memory entry
// COEF, floored and wrapped to qmult, through the multiplier or shift-and-add path the notes name
// (its wires named with PREFIX).
void WriteScheduledProduct(std::ostream& out, const CoreModel& model, const std::string& prefix,
                           const std::string& operand, const std::string& coef, int operandWidth,
                           const std::string& multiplierNote, const std::string& pathNote);

// The phase counter of the fully parallel interpolators: ACTIVE while a symbol's outputs are
// computed, PHASE 0 .. r-1; in_ready lets the next symbol in on the last phase.
void WritePhaseCounter(std::ostream& out, int ratio);

// Module MODULENAME with AXI4-Stream ports around module CORENAME (the plain core of MODEL).
void WriteAxisFrame(std::ostream& out, const CoreModel& model, const HardwareTiming& timing,
                    const std::string& moduleName, const std::string& coreName);

// Bits of a tdata bus carrying WIDTH bits: WIDTH rounded up to whole bytes.
int ByteWidth(int width);

}  // namespace fir::vlog
