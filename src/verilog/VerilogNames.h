// The names a Verilog core cannot take as its module name: the reserved words of Verilog-2005
// and SystemVerilog, the ports of its interfaces, and whatever identifier its own text (or its
// testbench's) already uses.
#pragma once

#include <set>
#include <string>
#include <string_view>

namespace fir {

// A reserved word of IEEE 1364-2005 or IEEE 1800-2017 (the latter holds every word of the
// former), which no identifier may be.
bool IsVerilogKeyword(std::string_view word);

// A port of either interface a core may have: valid/ready (clk, rst, in_*, out_*) or
// AXI4-Stream (aclk, aresetn, s_axis_*, m_axis_*).
bool IsStreamPortName(std::string_view word);

// The simple identifiers of TEXT: comments, strings, numbers (with their base and digits),
// compiler directives and system task names are skipped.
std::set<std::string> VerilogIdentifiers(std::string_view text);

}  // namespace fir
