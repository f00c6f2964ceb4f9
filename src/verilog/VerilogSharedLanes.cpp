// A resource-shared core with M multipliers side by side (M > 1): every shared structure, fed at
// the sample or the symbol rate, multiply-accumulates over the memory of its inputs with the
// arithmetic of its own products (pre-added mirror pairs where its sums allow, a negated
// mirrored half, floored products). Lane l computes products l, M + l, 2M + l ... of an output,
// so an output takes K = ceil(P/M) clocks; each lane has its own coefficient memory and its own
// read of the input memory. Pipeline: coefficient memories, input memory, operands [pre-add],
// products, the lanes' registered adder tree, accumulation; the last step's sum leaves
// registered. Inputs older than the first since reset read as zero: no clearing after reset.
#include <string>
#include <vector>

#include "verilog/VerilogPolyphase.h"
#include "verilog/VerilogStructures.h"
#include "verilog/VerilogText.h"

namespace fir::vlog {

namespace {

struct LaneLayout {
    int lanes = 2;
    int clocks = 1;  // K
    int ratio = 1;   // outputs per handshake
    int phaseBits = 1;
    int stepBits = 1;
    int addressBits = 1;
    int filledBits = 1;
    bool pairs = false;
    bool negates = false;
};

bool HasNegation(const PolyphaseSchedule& s) {
    for (const auto& terms : s.phases)
        for (const PolyphaseTerm& t : terms)
            if (t.negate) return true;
    return false;
}

LaneLayout LayoutOf(const PolyphaseSchedule& s, const HardwareTiming& t) {
    LaneLayout l;
    l.lanes = t.lanes;
    l.clocks = t.clocksPerSample;
    l.ratio = s.ratio;
    l.phaseBits = IndexBits(s.ratio);
    l.stepBits = IndexBits(t.clocksPerSample);
    // Two more words than an output reaches: at one handshake per clock, the write of the clock
    // of a read is two handshakes past the read's origin.
    l.addressBits = IndexBits(s.depth + 2);
    l.filledBits = IndexBits(s.depth + 1);
    l.pairs = HasPairs(s);
    l.negates = HasNegation(s);
    return l;
}

std::string Lane(int lane) { return "l" + std::to_string(lane) + "_"; }

// The term lane LANE computes at STEP of PHASE, or null.
const PolyphaseTerm* TermAt(const PolyphaseSchedule& s, const LaneLayout& l, int phase, int step, int lane) {
    const std::vector<PolyphaseTerm>& terms = s.phases[static_cast<std::size_t>(phase)];
    const std::size_t index = static_cast<std::size_t>(step * l.lanes + lane);
    return index < terms.size() ? &terms[index] : nullptr;
}

void WriteSequencer(std::ostream& out, const LaneLayout& l) {
    const int sb = l.stepBits;
    const int pb = l.phaseBits;
    const bool phases = l.ratio > 1;
    out << "    // Sequencer: " << l.lanes << " lanes, " << l.clocks << (l.clocks == 1 ? " step" : " steps")
        << " per output" << (phases ? ", r = " + std::to_string(l.ratio) + " outputs per symbol" : std::string())
        << ".\n"
        << "    reg active;\n";
    if (phases) out << "    reg [" << pb - 1 << ":0] phase;\n";
    out << "    reg [" << sb - 1 << ":0] step;\n"
        << "    wire step_last = step == " << Unsigned(l.clocks - 1, sb) << ";\n";
    if (phases) out << "    wire phase_last = phase == " << Unsigned(l.ratio - 1, pb) << ";\n";
    out << "    assign in_ready = !rst && (!active || step_last" << (phases ? " && phase_last" : "") << ");\n"
        << "    always @(posedge clk)\n"
        << "        if (rst || take) begin\n"
        << "            active <= !rst;\n";
    if (phases) out << "            phase <= " << Unsigned(0, pb) << ";\n";
    out << "            step <= " << Unsigned(0, sb) << ";\n"
        << "        end else if (active) begin\n"
        << "            step <= step_last ? " << Unsigned(0, sb) << " : step + " << Unsigned(1, sb) << ";\n"
        << "            if (step_last) begin\n";
    if (phases)
        out << "                phase <= phase_last ? " << Unsigned(0, pb) << " : phase + " << Unsigned(1, pb) << ";\n"
            << "                active <= !phase_last;\n";
    else
        out << "                active <= 1'b0;\n";
    out << "            end\n"
        << "        end\n\n";
}

std::string EntryLabel(const LaneLayout& l, int phase, int step) {
    if (l.ratio == 1) return Unsigned(step, l.stepBits);
    return "{" + Unsigned(phase, l.phaseBits) + ", " + Unsigned(step, l.stepBits) + "}";
}

std::string Field(const std::string& name, const std::string& value) {
    return "                " + name + " <= " + value + ";\n";
}

void WriteEntry(std::ostream& out, const CoreModel& m, const LaneLayout& l, const std::string& p,
                const PolyphaseTerm* term) {
    const int a = term ? term->delayA : -1;
    const int b = term ? term->delayB : -1;
    out << Field(p + "use_a_1", a < 0 ? "1'b0" : "filled > " + Unsigned(a, l.filledBits))
        << Field(p + "addr_a_1", "write_addr - " + Unsigned(a < 0 ? 1 : a + 1, l.addressBits));
    if (l.pairs)
        out << Field(p + "use_b_1", b < 0 ? "1'b0" : "filled > " + Unsigned(b, l.filledBits))
            << Field(p + "addr_b_1", "write_addr - " + Unsigned(b < 0 ? 1 : b + 1, l.addressBits));
    out << Field(p + "coef_1", CoefficientField(m, term ? &term->product : nullptr));
    if (l.negates) out << Field(p + "negate_1", term && term->negate ? "1'b1" : "1'b0");
}

std::string CoefficientType(const CoreModel& m) {
    const int cb = CoefficientBits(m);
    return m.multiplierFree ? "reg [" + std::to_string(cb - 1) + ":0]" : Signed("reg", cb);
}

void WriteLaneMemory(std::ostream& out, const CoreModel& m, const PolyphaseSchedule& s, const LaneLayout& l,
                     int lane) {
    const std::string p = Lane(lane);
    out << "    reg " << p << "use_a_1" << (l.pairs ? ", " + p + "use_b_1" : "")
        << (l.negates ? ", " + p + "negate_1" : "") << ";\n"
        << "    reg [" << l.addressBits - 1 << ":0] " << p << "addr_a_1" << (l.pairs ? ", " + p + "addr_b_1" : "")
        << ";\n"
        << "    " << CoefficientType(m) << " " << p << "coef_1;\n"
        << "    always @(posedge clk)\n"
        << "        case (" << (l.ratio == 1 ? "step" : "{phase, step}") << ")\n";
    for (int phase = 0; phase < l.ratio; ++phase) {
        for (int step = 0; step < l.clocks; ++step) {
            out << "            " << EntryLabel(l, phase, step) << ": begin\n";
            WriteEntry(out, m, l, p, TermAt(s, l, phase, step, lane));
            out << "            end\n";
        }
    }
    out << "            default: begin\n";
    WriteEntry(out, m, l, p, nullptr);
    out << "            end\n"
        << "        endcase\n\n";
}

// Registers of the valid, first and last flags at stage STAGE, taken from stage STAGE - 1.
void WriteFlags(std::ostream& out, int stage) {
    const std::string s = std::to_string(stage);
    const std::string before = std::to_string(stage - 1);
    out << "    reg valid_" << s << ", first_" << s << ", last_" << s << ";\n"
        << "    always @(posedge clk) begin\n"
        << "        valid_" << s << " <= !rst && valid_" << before << ";\n"
        << "        first_" << s << " <= first_" << before << ";\n"
        << "        last_" << s << " <= last_" << before << ";\n"
        << "    end\n";
}

void WriteLaneOperand(std::ostream& out, const CoreModel& m, const LaneLayout& l, int lane) {
    const std::string p = Lane(lane);
    const int ib = m.in.word;
    out << "    " << Signed("reg", ib) << " " << p << "sym_a_2" << (l.pairs ? ", " + p + "sym_b_2" : "") << ";\n"
        << "    reg " << p << "use_a_2" << (l.pairs ? ", " + p + "use_b_2" : "")
        << (l.negates ? ", " + p + "negate_2, " + p + "negate_3" : "") << ";\n"
        << "    " << CoefficientType(m) << " " << p << "coef_2, " << p << "coef_3;\n"
        << "    " << Signed("reg", l.pairs ? ib + 1 : ib) << " " << p << "operand_3;\n"
        << "    " << Signed("wire", ib) << " " << p << "masked_a = " << Masked(p + "use_a_2", p + "sym_a_2", ib) << ";\n";
    if (l.pairs)
        out << "    " << Signed("wire", ib) << " " << p << "masked_b = " << Masked(p + "use_b_2", p + "sym_b_2", ib)
            << ";\n";
    out << "    always @(posedge clk) begin\n"
        << "        " << p << "use_a_2 <= " << p << "use_a_1;\n"
        << "        " << p << "sym_a_2 <= symbols[" << p << "addr_a_1];\n";
    if (l.pairs)
        out << "        " << p << "use_b_2 <= " << p << "use_b_1;\n"
            << "        " << p << "sym_b_2 <= symbols[" << p << "addr_b_1];\n";
    out << "        " << p << "coef_2 <= " << p << "coef_1;\n"
        << "        " << p << "coef_3 <= " << p << "coef_2;\n";
    if (l.negates) out << "        " << p << "negate_2 <= " << p << "negate_1;\n        " << p << "negate_3 <= " << p << "negate_2;\n";
    if (l.pairs) {
        const char* joint = m.folding == CoefSymmetry::MagnitudeSymmetric ? " - " : " + ";
        out << "        " << p << "operand_3 <= " << SignExtend(p + "masked_a", ib, ib + 1) << joint
            << SignExtend(p + "masked_b", ib, ib + 1) << ";\n";
    } else {
        out << "        " << p << "operand_3 <= " << p << "masked_a;\n";
    }
    out << "    end\n\n";
}

void WriteLaneProduct(std::ostream& out, const CoreModel& m, const LaneLayout& l, int lane) {
    const std::string p = Lane(lane);
    const std::string n = std::to_string(lane);
    WriteScheduledProduct(out, m, p, l.pairs ? m.in.word + 1 : m.in.word, "Lane " + n + "'s multiplier",
                          "Lane " + n + "'s shift-and-add path");
    out << "    " << Signed("reg", m.mult.word) << " " << p << "product_4;\n"
        << "    always @(posedge clk) " << p << "product_4 <= "
        << (l.negates ? p + "negate_3 ? -" + p + "floored : " + p + "floored" : p + "floored") << ";\n\n";
}

}  // namespace

void WriteSharedLanes(std::ostream& out, const CoreModel& m, const PolyphaseSchedule& s, const HardwareTiming& t) {
    const LaneLayout l = LayoutOf(s, t);
    const int w = m.mult.word;
    WriteSequencer(out, l);
    WriteSymbolMemory(out, m, l.ratio > 1 ? "Symbol" : "Sample", s.depth, l.addressBits, l.filledBits);

    out << "    // Stage 1: each lane's coefficient memory, one entry per " << (l.ratio > 1 ? "phase and " : "")
        << "step: the inputs its product reads\n"
        << "    // (by delay, zero before the first since reset), its coefficient" << (l.negates ? " and sign" : "")
        << ".\n"
        << "    reg valid_1, first_1, last_1;\n"
        << "    always @(posedge clk) begin\n"
        << "        valid_1 <= !rst && active;\n"
        << "        first_1 <= step == " << Unsigned(0, l.stepBits) << ";\n"
        << "        last_1 <= step_last;\n"
        << "    end\n";
    for (int lane = 0; lane < l.lanes; ++lane) WriteLaneMemory(out, m, s, l, lane);

    out << "    // Stages 2 and 3: each lane's reads of the input memory, then its operand"
        << (l.pairs ? " (a mirror pair joined)" : "") << ".\n";
    WriteFlags(out, 2);
    WriteFlags(out, 3);
    for (int lane = 0; lane < l.lanes; ++lane) WriteLaneOperand(out, m, l, lane);

    out << "    // Stage 4: each lane's product, floored and wrapped to qmult.\n";
    WriteFlags(out, 4);
    std::vector<std::string> products;
    for (int lane = 0; lane < l.lanes; ++lane) {
        WriteLaneProduct(out, m, l, lane);
        products.push_back(Lane(lane) + "product_4");
    }

    const int levels = AdderTreeLevels(l.lanes);
    for (int stage = 5; stage < 5 + levels; ++stage) WriteFlags(out, stage);
    const std::string total = WriteAdderTree(out, m, products, 5);
    const std::string f = std::to_string(4 + levels);
    out << "    // Stage " << 5 + levels << ": accumulation; the last step's sum leaves in the output register.\n"
        << "    " << Signed("reg", w) << " acc;\n"
        << kDroppedBitsOff << "    " << Signed("wire", w) << " acc_next = (first_" << f << " ? " << Literal(0, w)
        << " : acc) + " << total << ";\n"
        << kDroppedBitsOn << "    " << Signed("reg", m.out.word) << " out_r;\n"
        << "    reg valid_r;\n"
        << "    always @(posedge clk) begin\n"
        << "        acc <= acc_next;\n"
        << "        if (valid_" << f << " && last_" << f << ") out_r <= " << MultToOutput(m, "acc_next") << ";\n"
        << "        valid_r <= !rst && valid_" << f << " && last_" << f << ";\n"
        << "    end\n"
        << "    assign out_valid = valid_r;\n"
        << "    assign out_data = out_r;\n";
}

}  // namespace fir::vlog
