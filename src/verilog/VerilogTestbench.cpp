// The testbench text and its hex vector files.
#include "verilog/VerilogTestbench.h"

#include <iomanip>

#include "verilog/HardwareTiming.h"
#include "verilog/PolyphaseSchedule.h"
#include "verilog/VerilogStreamTestbench.h"

namespace fir {

namespace {

void WriteHex(std::ostream& out, std::int64_t value, int bits) {
    const std::uint64_t mask = bits >= 64 ? ~0ULL : (1ULL << bits) - 1;
    out << std::hex << std::setw((bits + 3) / 4) << std::setfill('0') << (static_cast<std::uint64_t>(value) & mask)
        << std::dec << "\n";
}

void WriteDeclarations(std::ostream& out, const CoreModel& m, const std::string& name, int samples,
                       const HardwareTiming& t) {
    const int ib = m.in.word;
    const int ob = m.out.word;
    const long long timeout = t.clearClocks + static_cast<long long>(samples) * (kMaxIdleClocks + 1 + t.clocksPerSample) +
                              t.latencyClocks + 100;
    out << "    localparam SAMPLES = " << samples << ";\n"
        << "    localparam LATENCY = " << t.latencyClocks << ";  // clock edges from a handshake to its out_valid\n"
        << "    localparam K = " << t.clocksPerSample << ";  // clocks per sample: a sample offered at once is taken K clocks on\n"
        << "    localparam TIMEOUT = " << timeout << ";  // clocks\n\n"
        << "    reg clk = 1'b0;\n"
        << "    reg rst = 1'b1;\n"
        << "    reg in_valid = 1'b0;\n"
        << "    reg signed [" << ib - 1 << ":0] in_data = " << ib << "'sd0;\n"
        << "    wire in_ready, out_valid;\n"
        << "    wire signed [" << ob - 1 << ":0] out_data;\n"
        << "    " << name << " dut (.clk(clk), .rst(rst), .in_valid(in_valid), .in_ready(in_ready), .in_data(in_data),\n"
        << "        .out_valid(out_valid), .out_data(out_data));\n\n";
    WriteVectorMemoriesAndReset(out, m, name, "SAMPLES");
}

// Everything happens at the rising edge: the handshake the core saw, the output it shows, and
// the next offer (held while in_ready is low, after the sample's idle clocks otherwise).
void WriteDriverAndChecker(std::ostream& out, const CoreModel& m) {
    const int ib = m.in.word;
    out << "    always @(posedge clk) if (!rst) begin\n"
        << "        cycle = cycle + 1;\n"
        << "        if (out_valid) begin\n"
        << "            if (received >= sent) begin\n"
        << "                $display(\"FAIL out_valid at clock %0d without a pending handshake\", cycle);\n"
        << "                $fatal(1, \"unexpected out_valid\");\n"
        << "            end\n"
        << "            if (out_data !== expected[received]) begin\n"
        << "                $display(\"FAIL sample %0d: expected %0d, actual %0d\", received, $signed(expected[received]), out_data);\n"
        << "                $fatal(1, \"output differs\");\n"
        << "            end\n"
        << "            if (cycle - taken_at[received] != LATENCY) begin\n"
        << "                $display(\"FAIL sample %0d: latency %0d clocks, expected %0d\", received, cycle - taken_at[received], LATENCY);\n"
        << "                $fatal(1, \"latency differs\");\n"
        << "            end\n"
        << "            received = received + 1;\n"
        << "            if (received == SAMPLES) done_at = cycle;\n"
        << "        end\n"
        << "        if (in_valid && in_ready) begin\n"
        << "            if (sent > 0 && stimulus[sent][" << ib + 3 << ":" << ib << "] == 0 && cycle - taken_at[sent - 1] != K) begin\n"
        << "                $display(\"FAIL sample %0d: taken %0d clocks after the one before, expected %0d\", sent, cycle - taken_at[sent - 1], K);\n"
        << "                $fatal(1, \"throughput differs\");\n"
        << "            end\n"
        << "            taken_at[sent] = cycle;\n"
        << "            sent = sent + 1;\n"
        << "            if (sent < SAMPLES) idle = stimulus[sent][" << ib + 3 << ":" << ib << "];\n"
        << "        end\n"
        << "        if (!(in_valid && !in_ready)) begin\n"
        << "            if (idle > 0) begin\n"
        << "                in_valid <= 1'b0;\n"
        << "                idle = idle - 1;\n"
        << "            end else if (sent < SAMPLES) begin\n"
        << "                in_valid <= 1'b1;\n"
        << "                in_data <= stimulus[sent][" << ib - 1 << ":0];\n"
        << "            end else begin\n"
        << "                in_valid <= 1'b0;\n"
        << "            end\n"
        << "        end\n"
        << "        // A few more clocks show that no further out_valid follows.\n"
        << "        if (received == SAMPLES && cycle == done_at + 2 * LATENCY + 8) begin\n"
        << "            $display(\"PASS %0d samples\", SAMPLES);\n"
        << "            $finish;\n"
        << "        end\n"
        << "        if (cycle > TIMEOUT) begin\n"
        << "            $display(\"FAIL timeout: %0d of %0d outputs after %0d clocks\", received, SAMPLES, cycle);\n"
        << "            $fatal(1, \"timeout\");\n"
        << "        end\n"
        << "    end\n";
}

}  // namespace

std::string InputVectorFile(const std::string& moduleName) { return moduleName + "_in.hex"; }
std::string ExpectedVectorFile(const std::string& moduleName) { return moduleName + "_out.hex"; }

void WriteVectorMemoriesAndReset(std::ostream& out, const CoreModel& m, const std::string& name,
                                 const std::string& expectedCount) {
    const int ib = m.in.word;
    const int ob = m.out.word;
    out << "    reg [" << ib + 3 << ":0] stimulus [0:SAMPLES-1];  // {idle clocks before it, sample}\n"
        << "    reg [" << ob - 1 << ":0] expected [0:" << expectedCount << "-1];\n"
        << "    integer taken_at [0:SAMPLES-1];  // clock of each handshake\n"
        << "    integer cycle = 0;\n"
        << "    integer sent = 0;\n"
        << "    integer received = 0;\n"
        << "    integer idle = 0;\n"
        << "    integer done_at = 0;\n\n"
        << "    always #5 clk = ~clk;\n\n"
        << "    initial begin\n"
        << "        $readmemh(\"" << InputVectorFile(name) << "\", stimulus);\n"
        << "        $readmemh(\"" << ExpectedVectorFile(name) << "\", expected);\n"
        << "        idle = stimulus[0][" << ib + 3 << ":" << ib << "];\n"
        << "        repeat (4) @(posedge clk);\n"
        << "        rst <= 1'b0;\n"
        << "    end\n\n";
}

void WriteVerilogTestbench(std::ostream& out, const CoreModel& m, const std::string& name, int samples,
                           const HardwareChoices& choices) {
    const HardwareTiming t = VerilogTiming(m, choices);
    const bool axis = choices.stream == StreamInterface::Axis;
    if (axis || IsPolyphase(m)) {
        WriteStreamTestbench(out, m, name, samples, t, axis);
        return;
    }
    out << "// " << name << "_tb: self-checking testbench of " << name << ", with vectors from the bit-true model of\n"
        << "// the same core (" << InputVectorFile(name) << ": idle clocks and sample of each call; "
        << ExpectedVectorFile(name) << ": each call's output).\n"
        << "// Run in this directory:  iverilog -g2005 -o " << name << "_tb.vvp " << name << ".v " << name
        << "_tb.v && vvp " << name << "_tb.vvp\n"
        << "// It prints \"PASS <n> samples\", or \"FAIL\" at the first output that differs in value or\n"
        << "// latency and exits non-zero.\n"
        << "`timescale 1ns / 1ps\n"
        << "module " << name << "_tb;\n";
    WriteDeclarations(out, m, name, samples, t);
    WriteDriverAndChecker(out, m);
    out << "endmodule\n";
}

void WriteInputVectors(std::ostream& out, const CoreModel& m, const TestVectors& v) {
    const int ib = m.in.word;
    for (std::size_t k = 0; k < v.inputs.size(); ++k) {
        const std::uint64_t mask = (1ULL << ib) - 1;
        const std::uint64_t word = (static_cast<std::uint64_t>(v.idleClocks[k]) << ib) |
                                   (static_cast<std::uint64_t>(v.inputs[k]) & mask);
        WriteHex(out, static_cast<std::int64_t>(word), ib + 4);
    }
}

void WriteExpectedVectors(std::ostream& out, const CoreModel& m, const TestVectors& v) {
    for (const std::int64_t y : v.outputs) WriteHex(out, y, m.out.word);
}

}  // namespace fir
