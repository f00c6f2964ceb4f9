// The resource-shared folded transposed form where its products drop bits, so that a mirror pair
// cannot be joined before its product: its two chains of partial sums live in memories kept as
// rings and are updated in place. Each call moves every place on by one by moving the rings'
// heads, and a sequencer adds one product per clock through read, multiply and write-back stages
// (write-back 3 clocks after the read). The main chain n[0..M-1] moves down and the mirrored chain
// s[1..M-1] moves up; s[M-1] is a register and the rest of s a memory. The steps run k = M .. 1
// so that every place is read before the step that overwrites it; the call's output is the one
// the core registered on the call before, and leaves with the last step.
#include <algorithm>
#include <vector>

#include "verilog/VerilogStructures.h"
#include "verilog/VerilogText.h"

namespace fir::vlog {

namespace {

std::string Down(const std::string& a, int by, int depth, int bits) {
    by %= depth;
    if (by == 0) return a;
    return "(" + a + " < " + Unsigned(by, bits) + ") ? " + a + " + " + Unsigned(depth - by, bits) + " : " + a + " - " +
           Unsigned(by, bits);
}

std::string Up(const std::string& a, int by, int depth, int bits) { return Down(a, depth - by % depth, depth, bits); }

// Steps beyond the products (a core of few taps waits for its write-backs) carry no valid bit.
std::string Working(int steps, int clocksPerSample, int stepBits) {
    if (steps == clocksPerSample) return "busy";
    return "busy && step < " + Unsigned(steps, stepBits);
}

// Stage 2: the product of the step's sample (held through the call) and coefficient; the
// stage's other registers (DECLARATIONS) take STATEMENTS at the same clock.
void WriteProductStage(std::ostream& out, const CoreModel& m, const std::string& declarations,
                       const std::string& statements) {
    const Operand x{"x_r", m.in.word, m.in.fraction};
    out << "    // Stage 2: the product.\n";
    WriteSharedProduct(out, m, x, "coef_r", "exact");
    out << "    " << Signed("reg", m.mult.word) << " prod;\n"
        << declarations << "    always @(posedge clk) begin\n"
        << "        prod <= " << ProductToMult(m, x, "exact", SharedProductWidth(m, x.width)) << ";\n"
        << statements << "    end\n\n";
}

}  // namespace

void WriteSharedFoldedTransposed(std::ostream& out, const CoreModel& m, const HardwareTiming& t) {
    const int middle = m.DistinctTapCount();  // M
    const int mirrorDepth = std::max(middle - 2, 2);
    const int nBits = IndexBits(middle);
    const int sBits = IndexBits(mirrorDepth);
    const int stepBits = IndexBits(t.clocksPerSample);
    const int w = m.mult.word;
    const std::vector<TapProduct> products = TapProducts(m);
    const std::vector<TapProduct> steps(products.rend() - middle, products.rend());  // taps M-1 .. 0
    const char* mirrorSign = m.folding == CoefSymmetry::MagnitudeSymmetric ? " - " : " + ";
    WriteSequencer(out, t.clocksPerSample, middle);
    out << "    // Main chain n[k] = n_mem[(hn + k) mod " << middle << "], k = 0 .. " << middle - 1
        << "; mirrored chain s[k] = s_mem[(hs + k - 1) mod " << mirrorDepth << "],\n"
        << "    // k = 1 .. " << middle - 2 << ", and s[" << middle - 1 << "] = s_top.\n"
        << "    " << Signed("reg", w) << " n_mem [0:" << middle - 1 << "];\n"
        << "    " << Signed("reg", w) << " s_mem [0:" << mirrorDepth - 1 << "];\n"
        << "    reg [" << nBits - 1 << ":0] hn, na;\n"
        << "    reg [" << sBits - 1 << ":0] hs, sa;\n"
        << "    " << Signed("reg", m.in.word) << " x_hold;\n"
        << "    always @(posedge clk)\n"
        << "        if (rst) begin\n"
        << "            hn <= " << Unsigned(0, nBits) << ";\n"
        << "            hs <= " << Unsigned(0, sBits) << ";\n"
        << "        end else if (take) begin\n"
        << "            hn <= " << Up("hn", 1, middle, nBits) << ";\n"
        << "            hs <= " << Down("hs", 1, mirrorDepth, sBits) << ";\n"
        << "        end\n"
        << "    // Step k (k = " << middle << " down to 1) reads and writes n[k] and s[k-1] of the chains as the call finds them.\n"
        << "    always @(posedge clk)\n"
        << "        if (take) begin\n"
        << "            x_hold <= x_in;\n"
        << "            na <= hn;\n"
        << "            sa <= " << Up("hs", middle - 2, mirrorDepth, sBits) << ";\n"
        << "        end else begin\n"
        << "            na <= " << Down("na", 1, middle, nBits) << ";\n"
        << "            sa <= " << Down("sa", 1, mirrorDepth, sBits) << ";\n"
        << "        end\n\n";
    WriteCoefficientRom(out, m, steps, "step", stepBits);
    out << "    // Stage 1: the places' words, the sample and the coefficient.\n"
        << "    " << Signed("reg", w) << " rd_n, rd_s;\n"
        << "    " << Signed("reg", m.in.word) << " x_r;\n"
        << "    reg [" << nBits - 1 << ":0] na1;\n"
        << "    reg [" << sBits - 1 << ":0] sa1;\n"
        << "    reg s1_valid, s1_end, s1_top, s1_one;\n"
        << "    always @(posedge clk) begin\n"
        << "        rd_n <= n_mem[na];\n"
        << "        rd_s <= s_mem[sa];\n"
        << "        x_r <= x_hold;\n"
        << "        na1 <= na;\n"
        << "        sa1 <= sa;\n"
        << "        s1_valid <= " << Working(middle, t.clocksPerSample, stepBits) << " && !rst;\n"
        << "        s1_end <= step == " << Unsigned(0, stepBits) << ";  // k = M: n[M-1] from s[M-1]\n"
        << "        s1_top <= step == " << Unsigned(1, stepBits) << ";  // k = M-1: s[M-1] is s_top\n"
        << "        s1_one <= step == " << Unsigned(middle - 1, stepBits) << ";  // k = 1: n[0], s[1]\n"
        << "    end\n\n";
    WriteProductStage(out, m,
                      "    " + Signed("reg", w) + " rd_n2, rd_s2;\n    reg [" + std::to_string(nBits - 1) +
                          ":0] na2;\n    reg [" + std::to_string(sBits - 1) +
                          ":0] sa2;\n    reg s2_valid, s2_end, s2_top, s2_one;\n",
                      "        rd_n2 <= rd_n;\n        rd_s2 <= rd_s;\n        na2 <= na1;\n        sa2 <= sa1;\n"
                      "        s2_valid <= s1_valid && !rst;\n        s2_end <= s1_end;\n        s2_top <= s1_top;\n"
                      "        s2_one <= s1_one;\n");
    out << "    // Stage 3: write-back of both chains.\n"
        << "    " << Signed("reg", w) << " s_top;\n"
        << kDroppedBitsOff << "    " << Signed("wire", w) << " n_sum = (s2_end ? s_top : rd_n2) + prod;\n"
        << kDroppedBitsOn << "    " << Signed("wire", w) << " s_sum = (s2_one ? " << Literal(0, w) << " : rd_s2)"
        << mirrorSign << "prod;\n"
        << "    " << Signed("reg", m.out.word) << " out_state, out_data_r;\n"
        << "    reg out_valid_r;\n"
        << "    always @(posedge clk) begin\n"
        << "        if (clearing) n_mem[clear_addr] <= " << Literal(0, w) << ";\n"
        << "        else if (s2_valid) n_mem[na2] <= n_sum;\n"
        << "    end\n"
        << "    always @(posedge clk) begin\n";
    const std::string clearIndex = sBits == nBits ? "clear_addr" : "clear_addr[" + std::to_string(sBits - 1) + ":0]";
    if (mirrorDepth < middle)
        out << "        if (clearing && clear_addr < " << Unsigned(mirrorDepth, nBits) << ") s_mem[" << clearIndex
            << "] <= " << Literal(0, w) << ";\n";
    else
        out << "        if (clearing) s_mem[" << clearIndex << "] <= " << Literal(0, w) << ";\n";
    out << "        else if (s2_valid && !s2_end && !s2_top) s_mem[sa2] <= s_sum;\n"
        << "    end\n"
        << "    always @(posedge clk)\n"
        << "        if (rst) begin\n"
        << "            s_top <= " << Literal(0, w) << ";\n"
        << "            out_state <= " << Literal(0, m.out.word) << ";\n"
        << "            out_valid_r <= 1'b0;\n"
        << "        end else begin\n"
        << "            if (s2_valid && s2_top) s_top <= s_sum;\n"
        << "            out_valid_r <= s2_valid && s2_one;\n"
        << "            if (s2_valid && s2_one) begin\n"
        << "                out_state <= " << MultToOutput(m, "n_sum") << ";  // the core's registered output\n"
        << "                out_data_r <= out_state;\n"
        << "            end\n"
        << "        end\n"
        << "    assign out_valid = out_valid_r;\n"
        << "    assign out_data = out_data_r;\n";
}

}  // namespace fir::vlog
