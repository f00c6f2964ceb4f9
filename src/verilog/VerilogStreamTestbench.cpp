// The testbench of a polyphase core (r outputs per handshake, each checked against its clock:
// the first LATENCY clocks after the handshake, the others K clocks apart) and of a core with
// AXI4-Stream ports: random idle input, random garbage in s_axis_tdata's unused bits, random
// back-pressure on m_axis_tready and stalls of 48 clocks in every 160; every accepted output is checked in order with its tlast and
// its sign extension, and m_axis_tvalid must hold its word until it is taken.
#include "verilog/VerilogStreamTestbench.h"

#include "verilog/VerilogPolyphase.h"
#include "verilog/VerilogTestbench.h"

namespace fir {

namespace {

void WriteInstance(std::ostream& out, const CoreModel& m, const std::string& name, bool axis) {
    const int ib = m.in.word;
    const int ob = m.out.word;
    if (!axis) {
        out << "    wire in_ready, out_valid;\n"
            << "    wire signed [" << ob - 1 << ":0] out_data;\n"
            << "    " << name << " dut (.clk(clk), .rst(rst), .in_valid(in_valid), .in_ready(in_ready), .in_data(in_data),\n"
            << "        .out_valid(out_valid), .out_data(out_data));\n\n";
        return;
    }
    const int iw = vlog::ByteWidth(ib);
    const int ow = vlog::ByteWidth(ob);
    out << "    reg out_ready = 1'b0;\n"
        << "    reg [" << iw - 1 << ":0] in_word = " << iw << "'d0;  // the sample in the low bits, garbage above\n"
        << "    wire in_ready, out_tvalid, out_last;\n"
        << "    wire [" << ow - 1 << ":0] out_word;\n"
        << "    " << name << " dut (.aclk(clk), .aresetn(!rst), .s_axis_tvalid(in_valid), .s_axis_tready(in_ready),\n"
        << "        .s_axis_tdata(in_word), .m_axis_tvalid(out_tvalid), .m_axis_tready(out_ready), .m_axis_tdata(out_word),\n"
        << "        .m_axis_tlast(out_last));\n"
        << "    wire out_valid = out_tvalid && out_ready;  // an output taken\n"
        << "    wire signed [" << ob - 1 << ":0] out_data = out_word[" << ob - 1 << ":0];\n"
        << "    reg held_valid = 1'b0;  // m_axis_tvalid without m_axis_tready at the last edge\n"
        << "    reg [" << ow - 1 << ":0] held_word;\n"
        << "    reg held_last;\n"
        << "    integer seed = 7;\n\n";
}

void WriteChecks(std::ostream& out, const CoreModel& m, bool axis, int frame) {
    const int ob = m.out.word;
    const int ow = vlog::ByteWidth(ob);
    if (axis) {
        out << "        if (held_valid && !(out_tvalid && out_word === held_word && out_last === held_last)) begin\n"
            << "            $display(\"FAIL output %0d: m_axis_tvalid, tdata or tlast changed before m_axis_tready\", received);\n"
            << "            $fatal(1, \"stream rule broken\");\n"
            << "        end\n"
            << "        held_valid = out_tvalid && !out_ready;\n"
            << "        held_word = out_word;\n"
            << "        held_last = out_last;\n";
    }
    out << "        if (out_valid) begin\n"
        << "            if (received >= sent * OUTS) begin\n"
        << "                $display(\"FAIL output at clock %0d without a pending handshake\", cycle);\n"
        << "                $fatal(1, \"unexpected output\");\n"
        << "            end\n"
        << "            if (out_data !== expected[received]) begin\n"
        << "                $display(\"FAIL sample %0d: expected %0d, actual %0d\", received, $signed(expected[received]), out_data);\n"
        << "                $fatal(1, \"output differs\");\n"
        << "            end\n";
    if (axis) {
        if (ow > ob)
            out << "            if (out_word[" << ow - 1 << ":" << ob << "] !== {" << ow - ob << "{out_data[" << ob - 1 << "]}}) begin\n"
                << "                $display(\"FAIL sample %0d: tdata %h is not sign-extended\", received, out_word);\n"
                << "                $fatal(1, \"sign extension\");\n"
                << "            end\n";
        out << "            if (out_last !== (received % " << frame << " == " << frame - 1 << ")) begin\n"
            << "                $display(\"FAIL sample %0d: m_axis_tlast %0d\", received, out_last);\n"
            << "                $fatal(1, \"tlast differs\");\n"
            << "            end\n";
    } else {
        out << "            if (cycle - taken_at[received / OUTS] != LATENCY + (received % OUTS) * K) begin\n"
            << "                $display(\"FAIL sample %0d: %0d clocks after its handshake, expected %0d\", received,\n"
            << "                         cycle - taken_at[received / OUTS], LATENCY + (received % OUTS) * K);\n"
            << "                $fatal(1, \"latency differs\");\n"
            << "            end\n";
    }
    out << "            received = received + 1;\n"
        << "            if (received == OUTPUTS) done_at = cycle;\n"
        << "        end\n";
}

void WriteDriver(std::ostream& out, const CoreModel& m, bool axis) {
    const int ib = m.in.word;
    out << "        if (in_valid && in_ready) begin\n";
    if (!axis)
        out << "            if (sent > 0 && stimulus[sent][" << ib + 3 << ":" << ib << "] == 0 && cycle - taken_at[sent - 1] != PERIOD) begin\n"
            << "                $display(\"FAIL symbol %0d: taken %0d clocks after the one before, expected %0d\", sent, cycle - taken_at[sent - 1], PERIOD);\n"
            << "                $fatal(1, \"throughput differs\");\n"
            << "            end\n";
    out << "            taken_at[sent] = cycle;\n"
        << "            sent = sent + 1;\n"
        << "            if (sent < SAMPLES) idle = stimulus[sent][" << ib + 3 << ":" << ib << "];\n"
        << "        end\n"
        << "        if (!(in_valid && !in_ready)) begin\n"
        << "            if (idle > 0) begin\n"
        << "                in_valid <= 1'b0;\n"
        << "                idle = idle - 1;\n"
        << "            end else if (sent < SAMPLES) begin\n"
        << "                in_valid <= 1'b1;\n";
    if (axis) {
        out << "                in_word <= $random(seed);\n";
        out << "                in_word[" << ib - 1 << ":0] <= stimulus[sent][" << ib - 1 << ":0];\n";
    } else {
        out << "                in_data <= stimulus[sent][" << ib - 1 << ":0];\n";
    }
    out << "            end else begin\n"
        << "                in_valid <= 1'b0;\n"
        << "            end\n"
        << "        end\n";
    // Stalls long enough to fill the output buffer, and random single clocks of back-pressure.
    if (axis) out << "        out_ready <= cycle % 160 >= 48 && ($random(seed) & 3) != 0;\n";
}

}  // namespace

void WriteStreamTestbench(std::ostream& out, const CoreModel& m, const std::string& name, int samples,
                          const HardwareTiming& t, bool axis) {
    const int ib = m.in.word;
    const int outs = t.outputsPerInput;
    const int frame = outs > 1 ? outs : m.channels;
    const long long period = static_cast<long long>(t.clocksPerSample) * outs;
    const long long timeout = (t.clearClocks + static_cast<long long>(samples) * (kMaxIdleClocks + 1 + period) +
                               t.latencyClocks + 100) * (axis ? 3 : 1);
    out << "// " << name << "_tb: self-checking testbench of " << name << ", with vectors from the bit-true model of\n"
        << "// the same core (" << InputVectorFile(name) << ": idle clocks and sample of each handshake; "
        << ExpectedVectorFile(name) << ": its " << (outs > 1 ? std::to_string(outs) + " outputs" : "output") << ").\n"
        << "// Run in this directory:  iverilog -g2005 -o " << name << "_tb.vvp " << name << ".v " << name
        << "_tb.v && vvp " << name << "_tb.vvp\n"
        << "// It prints \"PASS <n> samples\", or \"FAIL\" at the first output that differs in value or\n"
        << "// " << (axis ? "stream signalling (random back-pressure on m_axis_tready)" : "timing") << " and exits non-zero.\n"
        << "`timescale 1ns / 1ps\n"
        << "module " << name << "_tb;\n"
        << "    localparam SAMPLES = " << samples << ";  // handshakes\n"
        << "    localparam OUTS = " << outs << ";  // outputs per handshake\n"
        << "    localparam OUTPUTS = SAMPLES * OUTS;\n"
        << "    localparam LATENCY = " << t.latencyClocks << ";  // clock edges from a handshake to its first output\n"
        << "    localparam K = " << t.clocksPerSample << ";  // clocks between outputs\n"
        << "    localparam PERIOD = " << period << ";  // a handshake offered at once is taken PERIOD clocks on\n"
        << "    localparam TIMEOUT = " << timeout << ";  // clocks\n\n"
        << "    reg clk = 1'b0;\n"
        << "    reg rst = 1'b1;\n"
        << "    reg in_valid = 1'b0;\n";
    if (!axis) out << "    reg signed [" << ib - 1 << ":0] in_data = " << ib << "'sd0;\n";
    WriteInstance(out, m, name, axis);
    WriteVectorMemoriesAndReset(out, m, name, "OUTPUTS");
    out << "    always @(posedge clk) if (!rst) begin\n"
        << "        cycle = cycle + 1;\n";
    WriteChecks(out, m, axis, frame);
    WriteDriver(out, m, axis);
    out << "        // A few more clocks show that no further output follows.\n"
        << "        if (received == OUTPUTS && cycle == done_at + 2 * LATENCY + 2 * PERIOD + 8) begin\n"
        << "            $display(\"PASS %0d samples\", OUTPUTS);\n"
        << "            $finish;\n"
        << "        end\n"
        << "        if (cycle > TIMEOUT) begin\n"
        << "            $display(\"FAIL timeout: %0d of %0d outputs after %0d clocks\", received, OUTPUTS, cycle);\n"
        << "            $fatal(1, \"timeout\");\n"
        << "        end\n"
        << "    end\n"
        << "endmodule\n";
}

}  // namespace fir
