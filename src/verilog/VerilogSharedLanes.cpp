// A resource-shared core with M multipliers side by side (M > 1): every shared structure, fed at
// the sample or the symbol rate, multiply-accumulates over the memory of its inputs with the
// arithmetic of its own products (pre-added mirror pairs where its sums allow, a negated
// mirrored half, floored products). Lane l computes products l, M + l, 2M + l ... of an output,
// so an output takes K = ceil(P/M) clocks; each lane has its own coefficient memory and its own
// read of the input memory. Pipeline: coefficient memories (how far back each operand lies, not
// its address, so that a lane has one address subtractor), addresses, input memory, operands
// [pre-add], products, the lanes' registered adder tree, accumulation; the last step's sum
// leaves registered. Inputs older than the first since reset read as zero: no clearing.
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
    // Three more words than an output reaches: at one handshake per clock, the write of the clock
    // of a read is three handshakes past the read's origin.
    l.addressBits = IndexBits(s.depth + 3);
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

std::string EntryLabel(const LaneLayout& l, int phase, int step) {
    if (l.ratio == 1) return Unsigned(step, l.stepBits);
    return "{" + Unsigned(phase, l.phaseBits) + ", " + Unsigned(step, l.stepBits) + "}";
}

std::string Field(const std::string& name, const std::string& value) {
    return "                " + name + " <= " + value + ";\n";
}

// A term's entry: how far back each operand lies (BACK = delay + 1, the input at origin - BACK;
// an absent operand lies beyond the inputs an output reaches, so it never counts as filled), its
// coefficient and its sign.
void WriteEntry(std::ostream& out, const CoreModel& m, const LaneLayout& l, const std::string& p, int depth,
                const PolyphaseTerm* term) {
    auto back = [&](int delay) { return Unsigned(delay < 0 ? depth + 1 : delay + 1, l.addressBits); };
    out << Field(p + "back_a_1", back(term ? term->delayA : -1));
    if (l.pairs) out << Field(p + "back_b_1", back(term ? term->delayB : -1));
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
    out << "    reg [" << l.addressBits - 1 << ":0] " << p << "back_a_1" << (l.pairs ? ", " + p + "back_b_1" : "")
        << ";\n"
        << "    " << CoefficientType(m) << " " << p << "coef_1;\n";
    if (l.negates) out << "    reg " << p << "negate_1;\n";
    out << "    always @(posedge clk)\n"
        << "        case (" << (l.ratio == 1 ? "step" : "{phase, step}") << ")\n";
    for (int phase = 0; phase < l.ratio; ++phase) {
        for (int step = 0; step < l.clocks; ++step) {
            out << "            " << EntryLabel(l, phase, step) << ": begin\n";
            WriteEntry(out, m, l, p, s.depth, TermAt(s, l, phase, step, lane));
            out << "            end\n";
        }
    }
    out << "            default: begin\n";
    WriteEntry(out, m, l, p, s.depth, nullptr);
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

// A lane's registers that follow its entry from stage FROM to stage TO: coefficient and sign.
std::string CarriedEntry(const LaneLayout& l, const std::string& p, int from, int to) {
    std::string text;
    for (int stage = from + 1; stage <= to; ++stage) {
        const std::string now = std::to_string(stage);
        const std::string before = std::to_string(stage - 1);
        text += "        " + p + "coef_" + now + " <= " + p + "coef_" + before + ";\n";
        if (l.negates) text += "        " + p + "negate_" + now + " <= " + p + "negate_" + before + ";\n";
    }
    return text;
}

// Stages 2 to 4 of a lane: the operands' addresses and whether they are filled; the input
// memory's reads; the operand (a mirror pair joined).
void WriteLaneOperand(std::ostream& out, const CoreModel& m, const LaneLayout& l, int lane) {
    const std::string p = Lane(lane);
    const int ib = m.in.word;
    const std::string filled = l.addressBits > l.filledBits
                                   ? "{" + std::to_string(l.addressBits - l.filledBits) + "'d0, filled_1}"
                                   : std::string("filled_1");
    std::vector<std::string> operands{"a"};
    if (l.pairs) operands.push_back("b");
    for (const std::string& o : operands)
        out << "    reg [" << l.addressBits - 1 << ":0] " << p << "addr_" << o << "_2;\n"
            << "    reg " << p << "use_" << o << "_2, " << p << "use_" << o << "_3;\n"
            << "    " << Signed("reg", ib) << " " << p << "sym_" << o << "_3;\n"
            << "    " << Signed("wire", ib) << " " << p << "masked_" << o << " = "
            << Masked(p + "use_" + o + "_3", p + "sym_" + o + "_3", ib) << ";\n";
    out << "    " << CoefficientType(m) << " " << p << "coef_2, " << p << "coef_3, " << p << "coef_4;\n";
    if (l.negates) out << "    reg " << p << "negate_2, " << p << "negate_3, " << p << "negate_4;\n";
    out << "    " << Signed("reg", l.pairs ? ib + 1 : ib) << " " << p << "operand_4;\n"
        << "    always @(posedge clk) begin\n";
    for (const std::string& o : operands)
        out << "        " << p << "addr_" << o << "_2 <= origin_1 - " << p << "back_" << o << "_1;\n"
            << "        " << p << "use_" << o << "_2 <= " << filled << " >= " << p << "back_" << o << "_1;\n"
            << "        " << p << "sym_" << o << "_3 <= " << p << "inputs_" << o << "[" << p << "addr_" << o << "_2];\n"
            << "        " << p << "use_" << o << "_3 <= " << p << "use_" << o << "_2;\n";
    out << CarriedEntry(l, p, 1, 4);
    if (l.pairs) {
        const char* joint = m.folding == CoefSymmetry::MagnitudeSymmetric ? " - " : " + ";
        out << "        " << p << "operand_4 <= " << SignExtend(p + "masked_a", ib, ib + 1) << joint
            << SignExtend(p + "masked_b", ib, ib + 1) << ";\n";
    } else {
        out << "        " << p << "operand_4 <= " << p << "masked_a;\n";
    }
    out << "    end\n\n";
}

void WriteLaneProduct(std::ostream& out, const CoreModel& m, const LaneLayout& l, int lane) {
    const std::string p = Lane(lane);
    const std::string n = std::to_string(lane);
    WriteScheduledProduct(out, m, p, p + "operand_4", p + "coef_4", l.pairs ? m.in.word + 1 : m.in.word,
                          "Lane " + n + "'s multiplier", "Lane " + n + "'s shift-and-add path");
    out << "    " << Signed("reg", m.mult.word) << " " << p << "product_5;\n"
        << "    always @(posedge clk) " << p << "product_5 <= "
        << (l.negates ? p + "negate_4 ? -" + p + "floored : " + p + "floored" : p + "floored") << ";\n\n";
}

}  // namespace

void WriteSharedLanes(std::ostream& out, const CoreModel& m, const PolyphaseSchedule& s, const HardwareTiming& t) {
    const LaneLayout l = LayoutOf(s, t);
    const int w = m.mult.word;
    WritePhaseSequencer(out, l.ratio, l.clocks);
    std::vector<std::string> copies;
    for (int lane = 0; lane < l.lanes; ++lane) {
        copies.push_back(Lane(lane) + "inputs_a");
        if (l.pairs) copies.push_back(Lane(lane) + "inputs_b");
    }
    WriteSymbolMemory(out, m, l.ratio > 1 ? "Symbol" : "Sample", s.depth, l.addressBits, l.filledBits, copies);

    out << "    // Stage 1: each lane's coefficient memory, one entry per " << (l.ratio > 1 ? "phase and " : "")
        << "step: how far back its product's\n"
        << "    // inputs lie (delay + 1), its coefficient" << (l.negates ? " and sign" : "")
        << "; the memory's write address and fill as the step found them.\n"
        << "    reg valid_1, first_1, last_1;\n"
        << "    reg [" << l.addressBits - 1 << ":0] origin_1;\n"
        << "    reg [" << l.filledBits - 1 << ":0] filled_1;\n"
        << "    always @(posedge clk) begin\n"
        << "        valid_1 <= !rst && active;\n"
        << "        first_1 <= step == " << Unsigned(0, l.stepBits) << ";\n"
        << "        last_1 <= step_last;\n"
        << "        origin_1 <= write_addr;\n"
        << "        filled_1 <= filled;\n"
        << "    end\n";
    for (int lane = 0; lane < l.lanes; ++lane) WriteLaneMemory(out, m, s, l, lane);

    out << "    // Stages 2 to 4: each lane's addresses (zero before the first input since reset), its reads of\n"
        << "    // the input memory, its operand" << (l.pairs ? " (a mirror pair joined)" : "") << ".\n";
    for (int stage = 2; stage <= 4; ++stage) WriteFlags(out, stage);
    for (int lane = 0; lane < l.lanes; ++lane) WriteLaneOperand(out, m, l, lane);

    out << "    // Stage 5: each lane's product, floored and wrapped to qmult.\n";
    WriteFlags(out, 5);
    std::vector<std::string> products;
    for (int lane = 0; lane < l.lanes; ++lane) {
        WriteLaneProduct(out, m, l, lane);
        products.push_back(Lane(lane) + "product_5");
    }

    const int levels = AdderTreeLevels(l.lanes);
    for (int stage = 6; stage < 6 + levels; ++stage) WriteFlags(out, stage);
    const std::string total = WriteAdderTree(out, m, products, 6);
    const std::string f = std::to_string(5 + levels);
    out << "    // Stage " << 6 + levels << ": accumulation; the last step's sum leaves in the output register.\n"
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
