// The resource-shared cores that keep their input samples in a delay line: the direct form, and
// the transposed forms wherever their sums equal a direct form's (unfolded always; folded when
// no product drops bits, so that a mirror pair may be joined before its product). A sequencer
// reads one tap (or one mirror pair) per clock through [a pre-adder,] the one multiplier and an
// accumulator.
//
// The line is a memory of a power-of-two depth with free-running pointers: the address paths
// hold a counter and a multiplexer, never a compare-and-add to wrap. A call's sample enters the
// line on its handshake, at wp; place p of the call (the sample p calls before it) is then
// line_mem[wp - p], with wp as the handshake found it. The depth exceeds the places a call reads
// by more than one, so the next handshake's write never meets the last read of a call.
#include <vector>

#include "verilog/VerilogStructures.h"
#include "verilog/VerilogText.h"

namespace fir::vlog {

namespace {

// What one call reads: places First .. First + L - 1 (First 1 when the call's output precedes its
// sample, 0 when the sample is one of its products), one or two per step.
struct LinePlan {
    int first = 1;
    int length = 0;  // L
    int channels = 1;
    bool folded = false;
    int depth = 0;  // a power of two above first + L
    int bits = 0;
    std::vector<TapProduct> steps;  // the coefficient of each step
};

int PowerOfTwoAbove(int value) {
    int depth = 1;
    while (depth <= value) depth *= 2;
    return depth;
}

// The coefficient of each step: taps 0 .. N-1 (unfolded), or the pairs 0 .. P-1 then the middle
// tap, whose shared direct form writes a multiplier-free middle product with its literal terms.
std::vector<TapProduct> StepProducts(const CoreModel& m) {
    const std::vector<TapProduct> products = TapProducts(m);
    if (!m.IsFolded()) return products;
    std::vector<TapProduct> steps(products.begin(), products.begin() + m.PairCount());
    steps.push_back(m.structure == Structure::SharedDirect ? MiddleProduct(m)
                                                           : products[static_cast<std::size_t>(m.PairCount())]);
    return steps;
}

LinePlan PlanOf(const CoreModel& m) {
    LinePlan plan;
    plan.first = m.latencyCalls;
    plan.length = m.delayLineLength;
    plan.channels = m.channels;
    plan.folded = m.IsFolded();
    plan.depth = PowerOfTwoAbove(plan.first + plan.length);
    plan.bits = IndexBits(plan.depth);
    plan.steps = StepProducts(m);
    return plan;
}

std::string Address(std::int64_t place, const LinePlan& p) {
    const std::int64_t wrapped = ((place % p.depth) + p.depth) % p.depth;
    return Unsigned(wrapped, p.bits);
}

void WriteSequencer(std::ostream& out, int clocksPerSample) {
    const int bits = IndexBits(clocksPerSample);
    out << "    // Sequencer: " << clocksPerSample << " clocks per sample, steps 0 .. " << clocksPerSample - 1
        << "; last (the final step) is decided one clock ahead.\n"
        << "    reg busy, last, clearing;\n"
        << "    reg [" << bits - 1 << ":0] step;\n"
        << "    assign in_ready = !rst && !clearing && (!busy || last);\n"
        << "    always @(posedge clk)\n"
        << "        if (rst) begin\n"
        << "            busy <= 1'b0;\n"
        << "            last <= 1'b0;\n"
        << "        end else begin\n"
        << "            busy <= take || (busy && !last);\n"
        << "            last <= busy && !take && step == " << Unsigned(clocksPerSample - 2, bits) << ";\n"
        << "        end\n"
        << "    always @(posedge clk) step <= take ? " << Unsigned(0, bits) << " : step + " << Unsigned(1, bits)
        << ";\n\n";
}

void WriteLine(std::ostream& out, const CoreModel& m, const LinePlan& p) {
    const std::string width = "[" + std::to_string(p.bits - 1) + ":0]";
    const std::string one = Unsigned(1, p.bits);
    const std::string stride = Unsigned(p.channels, p.bits);
    const int far = p.first + p.length - 1;
    out << "    // Delay line: a ring of " << p.depth << " words; the call's sample enters at wp on its handshake,\n"
        << "    // and step j reads place " << p.first << " + " << p.channels << "j"
        << (p.folded ? " (a) and place " + std::to_string(far) + " - " + std::to_string(p.channels) + "j (b)" : "")
        << " at wp - place. After reset the\n"
        << "    // pointer sweeps the ring once, writing zeros. No read meets the write of the same clock.\n"
        << "    (* no_rw_check *) " << Signed("reg", m.in.word) << " line_mem [0:" << p.depth - 1 << "];\n"
        << "    reg " << width << " wp, base_a" << (p.folded ? ", base_b" : "") << ", addr_a"
        << (p.folded ? ", addr_b" : "") << ";\n"
        << "    wire write = clearing || take;\n"
        << "    always @(posedge clk)\n"
        << "        if (write) line_mem[wp] <= clearing ? " << Literal(0, m.in.word) << " : x_in;\n"
        << "    always @(posedge clk)\n"
        << "        if (rst) begin\n"
        << "            clearing <= 1'b1;\n"
        << "            wp <= " << Unsigned(0, p.bits) << ";\n"
        << "            base_a <= " << Address(-p.first, p) << ";\n";
    if (p.folded) out << "            base_b <= " << Address(-far, p) << ";\n";
    out << "        end else begin\n"
        << "            if (wp == " << Unsigned(p.depth - 1, p.bits) << ") clearing <= 1'b0;\n"
        << "            if (write) begin\n"
        << "                wp <= wp + " << one << ";\n"
        << "                base_a <= base_a + " << one << ";\n";
    if (p.folded) out << "                base_b <= base_b + " << one << ";\n";
    out << "            end\n"
        << "        end\n"
        << "    always @(posedge clk) begin\n"
        << "        addr_a <= take ? base_a : addr_a - " << stride << ";\n";
    if (p.folded) out << "        addr_b <= take ? base_b : addr_b + " << stride << ";\n";
    out << "    end\n\n";
}

}  // namespace

int SharedLineDepth(const CoreModel& m) { return PlanOf(m).depth; }

void WriteSharedDirect(std::ostream& out, const CoreModel& m, const HardwareTiming& t) {
    const LinePlan plan = PlanOf(m);
    const int stepBits = IndexBits(t.clocksPerSample);
    const int ib = m.in.word;
    const int w = m.mult.word;
    const bool folded = plan.folded;
    WriteSequencer(out, t.clocksPerSample);
    WriteLine(out, m, plan);
    WriteCoefficientRom(out, m, plan.steps, "step", stepBits);

    out << "    // Stage 1: the step's samples and coefficient.\n"
        << "    " << Signed("reg", ib) << (folded ? " tap_a, tap_b;\n" : " tap_a;\n")
        << "    reg s1_first" << (folded ? ", s1_middle" : "") << ", s1_last;\n"
        << "    always @(posedge clk) begin\n"
        << "        tap_a <= line_mem[addr_a];\n";
    if (folded)
        out << "        tap_b <= line_mem[addr_b];\n"
            << "        s1_middle <= step == " << Unsigned(m.PairCount(), stepBits) << ";\n";
    out << "        s1_first <= step == " << Unsigned(0, stepBits) << ";\n"
        << "    end\n"
        << "    always @(posedge clk) s1_last <= !rst && last;\n\n";

    Operand operand{"tap_a", ib, m.in.fraction};
    std::string coef = "coef_r";
    std::string first = "s1_first", lastStep = "s1_last";
    if (folded) {
        const char* joint = m.folding == CoefSymmetry::MagnitudeSymmetric ? " - " : " + ";
        out << "    // Stage 2: pre-adder, the mirror pair joined (the middle tap alone).\n"
            << "    " << Signed("reg", ib + 1) << " pre;\n"
            << "    " << (m.multiplierFree ? "reg [" + std::to_string(CoefficientRomWidth(m) - 1) + ":0]"
                                           : Signed("reg", m.coef.word))
            << " coef_r2;\n"
            << "    reg s2_first, s2_last;\n"
            << "    always @(posedge clk) begin\n"
            << "        pre <= " << SignExtend("tap_a", ib, ib + 1) << joint << "(s1_middle ? " << Literal(0, ib + 1)
            << " : " << SignExtend("tap_b", ib, ib + 1) << ");\n"
            << "        coef_r2 <= coef_r;\n"
            << "        s2_first <= s1_first;\n"
            << "    end\n"
            << "    always @(posedge clk) s2_last <= !rst && s1_last;\n\n";
        operand = {"pre", ib + 1, m.in.fraction};
        coef = "coef_r2";
        first = "s2_first", lastStep = "s2_last";
    }
    WriteSharedProduct(out, m, operand, coef, "exact");
    out << "    " << Signed("reg", w) << " prod;\n"
        << "    reg p_first, p_last;\n"
        << "    always @(posedge clk) begin\n"
        << "        prod <= " << ProductToMult(m, operand, "exact", SharedProductWidth(m, operand.width)) << ";\n"
        << "        p_first <= " << first << ";\n"
        << "    end\n"
        << "    always @(posedge clk) p_last <= !rst && " << lastStep << ";\n\n"
        << "    // Accumulator: a call's sum stays for the clock of its out_valid.\n"
        << kDroppedBitsOff << "    " << Signed("reg", w) << " acc;\n" << kDroppedBitsOn
        << "    reg out_valid_r;\n"
        << "    always @(posedge clk) acc <= (p_first ? " << Literal(0, w) << " : acc) + prod;\n"
        << "    always @(posedge clk) out_valid_r <= !rst && p_last;\n"
        << "    assign out_valid = out_valid_r;\n"
        << "    assign out_data = " << MultToOutput(m, "acc") << ";\n";
}

}  // namespace fir::vlog
