// The common option "-hdl LANGUAGE": a run that gives it also writes the core in that hardware
// description language beside the MATLAB core. Verilog is the one language.
#pragma once

class CCmdArguments;

namespace kw {

// Throws "Invalid Parameter: -hdl ..." for any value but "verilog", before anything is written.
void RequireKnownHardwareLanguage(const CCmdArguments* arguments);

// Whether the run writes Verilog (valid once RequireKnownHardwareLanguage has passed).
bool HardwareRequested(const CCmdArguments* arguments);

}  // namespace kw
