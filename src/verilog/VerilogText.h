// Verilog-2005 expression text for the core writers: sized signed literals, explicit sign
// extension (every operand of an operator has the operator's width, so no tool widens or
// truncates implicitly), and the two quantisation steps of the MATLAB core, floor (dropping low
// bits of two's complement) and wrap (keeping low bits).
#pragma once

#include <cstdint>
#include <string>

namespace fir::vlog {

// A signed literal of the given width: decimal when the value fits, else its two's-complement
// bit pattern in hex.
std::string Literal(std::int64_t value, int width);

// An unsigned literal of the given width ("4'd3").
std::string Unsigned(std::int64_t value, int width);

// Bits needed to count 0 .. count-1 (at least 1).
int IndexBits(int count);

// NAME (a signed signal of width FROM) as a signed expression of width TO >= FROM.
std::string SignExtend(const std::string& name, int from, int to);

// NAME * 2^shift as a signed expression of width TO (shift >= 0, TO >= FROM + shift).
std::string ShiftedUp(const std::string& name, int from, int shift, int to);

// floor(NAME * 2^-shift) wrapped to OUT bits, as a signed expression of width OUT; a negative
// shift multiplies by 2^-shift exactly. NAME is a signed signal of width FROM.
std::string Requantize(const std::string& name, int from, int shift, int out);

// The declaration of a signed vector "reg signed [W-1:0]" / "wire signed [W-1:0]".
std::string Signed(const char* kind, int width);

// Comment lines that switch a Verilator warning off and on around a declaration whose low or
// high bits the floor or the wrap drops by design.
inline constexpr const char* kDroppedBitsOff = "    /* verilator lint_off UNUSEDSIGNAL */\n";
inline constexpr const char* kDroppedBitsOn = "    /* verilator lint_on UNUSEDSIGNAL */\n";

}  // namespace fir::vlog
