// The self-checking testbench of a core's Verilog module and the vector files it reads with
// $readmemh: it drives the vectors' samples with their idle clocks, checks every out_valid
// against the expected output and the stated latency, and ends with "PASS <n> samples", or with
// "FAIL ..." at the first difference and a non-zero exit ($fatal).
#pragma once

#include <ostream>
#include <string>

#include "fir/CoreModel.h"
#include "verilog/HardwareChoices.h"
#include "verilog/TestVectors.h"

namespace fir {

// The names the testbench of MODULENAME reads its vectors from, in its working directory.
std::string InputVectorFile(const std::string& moduleName);     // MODULENAME_in.hex
std::string ExpectedVectorFile(const std::string& moduleName);  // MODULENAME_out.hex

// The testbench's vector memories and the prologue that loads them and releases reset after four
// clocks: stimulus holds SAMPLES handshakes, expected EXPECTEDCOUNT outputs (the name of a
// localparam the testbench declares beside SAMPLES).
void WriteVectorMemoriesAndReset(std::ostream& out, const CoreModel& model, const std::string& moduleName,
                                 const std::string& expectedCount);

// Module MODULENAME_tb for SAMPLES handshakes, for the core written with CHOICES (its latency);
// throws as WriteVerilog does.
void WriteVerilogTestbench(std::ostream& out, const CoreModel& model, const std::string& moduleName, int samples,
                           const HardwareChoices& choices = {});

// One line per handshake: the idle clocks before it and its sample, {idle[3:0], sample}, in hex.
void WriteInputVectors(std::ostream& out, const CoreModel& model, const TestVectors& vectors);

// One line per output (one per call, or r per symbol): OBITS-bit two's complement, in hex.
void WriteExpectedVectors(std::ostream& out, const CoreModel& model, const TestVectors& vectors);

}  // namespace fir
