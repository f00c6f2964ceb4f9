// The resource-shared direct form in hardware: the delay line in a memory kept as a ring, read
// one tap (or one mirror pair) per clock by a sequencer, through [a pre-adder,] the one multiplier
// and an accumulator. A call reads the line as it finds it; its sample enters the line on the
// clock of its last read, so the next call may start on that clock. Unfolded, the taps are read
// from the last to the first, so that the last read (place 1) never meets the sample written.
#include <vector>

#include "verilog/VerilogStructures.h"
#include "verilog/VerilogText.h"

namespace fir::vlog {

namespace {

// Modular address steps on a ring of DEPTH words with BITS-bit addresses.
std::string Down(const std::string& a, int by, int depth, int bits) {
    return "(" + a + " < " + Unsigned(by, bits) + ") ? " + a + " + " + Unsigned(depth - by, bits) + " : " + a + " - " +
           Unsigned(by, bits);
}

std::string Up(const std::string& a, int by, int depth, int bits) {
    return "(" + a + " >= " + Unsigned(depth - by, bits) + ") ? " + a + " - " + Unsigned(depth - by, bits) + " : " +
           a + " + " + Unsigned(by, bits);
}

// The coefficient of each step: taps N-1 .. 0 (unfolded), or pairs 0 .. P-1 then the middle.
std::vector<TapProduct> StepProducts(const CoreModel& m) {
    const std::vector<TapProduct> products = TapProducts(m);
    if (!m.IsFolded()) return {products.rbegin(), products.rend()};
    std::vector<TapProduct> steps(products.begin(), products.begin() + m.PairCount());
    steps.push_back(MiddleProduct(m));
    return steps;
}

void WriteLineMemory(std::ostream& out, const CoreModel& m) {
    const int length = m.delayLineLength;
    const int bits = IndexBits(length);
    const int ch = m.channels;
    const bool folded = m.IsFolded();
    const std::string zero = Unsigned(0, bits);
    out << "    // Delay line in a memory: place p is line_mem[(head + p - 1) mod " << length << "].\n"
        << "    " << Signed("reg", m.in.word) << " line_mem [0:" << length - 1 << "];\n"
        << "    reg [" << bits - 1 << ":0] head;\n"
        << "    wire [" << bits - 1 << ":0] head_next = " << Down("head", 1, length, bits) << ";\n"
        << "    // A call that starts on its predecessor's last clock reads the line after that sample.\n"
        << "    wire [" << bits - 1 << ":0] head_seen = last ? head_next : head;\n"
        << "    " << Signed("reg", m.in.word) << " x_hold;\n"
        << "    reg [" << bits - 1 << ":0] addr_a;\n";
    if (folded) out << "    reg [" << bits - 1 << ":0] addr_b;\n";
    out << "    always @(posedge clk) begin\n"
        << "        if (clearing) line_mem[clear_addr] <= " << Literal(0, m.in.word) << ";\n"
        << "        else if (last) line_mem[head_next] <= x_hold;\n"
        << "    end\n"
        << "    always @(posedge clk)\n"
        << "        if (rst) head <= " << zero << ";\n"
        << "        else if (last) head <= head_next;\n"
        << "    always @(posedge clk)\n"
        << "        if (take) begin\n"
        << "            x_hold <= x_in;\n";
    if (folded) {
        out << "            addr_a <= head_seen;  // place 1\n"
            << "            addr_b <= " << Down("head_seen", 1, length, bits) << ";  // place " << length << "\n"
            << "        end else begin\n"
            << "            addr_a <= " << Up("addr_a", ch, length, bits) << ";\n"
            << "            addr_b <= " << Down("addr_b", ch, length, bits) << ";\n";
    } else {
        out << "            addr_a <= " << Down("head_seen", 1, length, bits) << ";  // place " << length << "\n"
            << "        end else begin\n"
            << "            addr_a <= " << Down("addr_a", ch, length, bits) << ";\n";
    }
    out << "        end\n\n";
}

}  // namespace

void WriteSharedDirect(std::ostream& out, const CoreModel& m, const HardwareTiming& t) {
    const std::vector<TapProduct> steps = StepProducts(m);
    const int stepBits = IndexBits(t.clocksPerSample);
    const int ib = m.in.word;
    const int w = m.mult.word;
    const bool folded = m.IsFolded();
    WriteSequencer(out, t.clocksPerSample, m.delayLineLength);
    WriteLineMemory(out, m);
    WriteCoefficientRom(out, m, steps, "step", stepBits);

    out << "    // Stage 1: the step's samples and coefficient.\n"
        << "    " << Signed("reg", ib) << " tap_a;\n";
    if (folded) out << "    " << Signed("reg", ib) << " tap_b;\n    reg s1_middle;\n";
    out << "    reg s1_valid, s1_first, s1_last;\n"
        << "    always @(posedge clk) begin\n"
        << "        tap_a <= line_mem[addr_a];\n";
    if (folded)
        out << "        tap_b <= line_mem[addr_b];\n"
            << "        s1_middle <= step == " << Unsigned(m.PairCount(), stepBits) << ";\n";
    out << "        s1_valid <= busy && !rst;\n"
        << "        s1_first <= step == " << Unsigned(0, stepBits) << ";\n"
        << "        s1_last <= last;\n"
        << "    end\n\n";

    Operand operand{"tap_a", ib, m.in.fraction};
    std::string coef = "coef_r";
    std::string valid = "s1_valid", first = "s1_first", lastStep = "s1_last";
    if (folded) {
        const char* joint = m.folding == CoefSymmetry::MagnitudeSymmetric ? " - " : " + ";
        out << "    // Stage 2: pre-adder, the mirror pair joined (the middle tap alone).\n"
            << "    " << Signed("reg", ib + 1) << " pre;\n"
            << "    " << (m.multiplierFree ? "reg [" + std::to_string(CoefficientRomWidth(m) - 1) + ":0]"
                                           : Signed("reg", m.coef.word))
            << " coef_r2;\n"
            << "    reg s2_valid, s2_first, s2_last;\n"
            << "    always @(posedge clk) begin\n"
            << "        pre <= s1_middle ? " << SignExtend("tap_a", ib, ib + 1) << " : " << SignExtend("tap_a", ib, ib + 1)
            << joint << SignExtend("tap_b", ib, ib + 1) << ";\n"
            << "        coef_r2 <= coef_r;\n"
            << "        s2_valid <= s1_valid && !rst;\n"
            << "        s2_first <= s1_first;\n"
            << "        s2_last <= s1_last;\n"
            << "    end\n\n";
        operand = {"pre", ib + 1, m.in.fraction};
        coef = "coef_r2";
        valid = "s2_valid", first = "s2_first", lastStep = "s2_last";
    }
    WriteSharedProduct(out, m, operand, coef, "exact");
    out << "    " << Signed("reg", w) << " prod;\n"
        << "    reg p_valid, p_first, p_last;\n"
        << "    always @(posedge clk) begin\n"
        << "        prod <= " << ProductToMult(m, operand, "exact", SharedProductWidth(m, operand.width)) << ";\n"
        << "        p_valid <= " << valid << " && !rst;\n"
        << "        p_first <= " << first << ";\n"
        << "        p_last <= " << lastStep << ";\n"
        << "    end\n\n"
        << "    // Accumulator: a call's sum stays for the clock of its out_valid.\n"
        << kDroppedBitsOff << "    " << Signed("reg", w) << " acc;\n" << kDroppedBitsOn
        << "    reg out_valid_r;\n"
        << "    always @(posedge clk) begin\n"
        << "        if (p_valid) acc <= p_first ? prod : acc + prod;\n"
        << "        out_valid_r <= p_valid && p_last && !rst;\n"
        << "    end\n"
        << "    assign out_valid = out_valid_r;\n"
        << "    assign out_data = " << MultToOutput(m, "acc") << ";\n";
}

}  // namespace fir::vlog
