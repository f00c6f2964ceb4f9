// The resource-shared polyphase interpolator: one multiplier (or one shift-and-add path) and K
// clocks per output, K the products of the busiest phase. The symbols wait in a memory written
// at each handshake; a coefficient memory addressed by phase and step names, for each product,
// the symbols it reads (by delay), its coefficient and its sign. Pipeline: coefficient memory,
// symbol memory, operand [pre-add], product, accumulation; the last step's sum leaves registered.
// Symbols older than the first since reset read as zero: no memory clearing after reset.
#include <algorithm>
#include <string>
#include <vector>

#include "verilog/VerilogPolyphase.h"
#include "verilog/VerilogStructures.h"
#include "verilog/VerilogText.h"

namespace fir::vlog {

namespace {

std::string TermField(const ShiftTerm& t, int bits) {
    const bool use = t.sign != 0;
    return std::string(use ? "1'b1" : "1'b0") + ", " + (t.sign < 0 ? "1'b1" : "1'b0") + ", " +
           Unsigned(use ? t.shift : 0, bits);
}

}  // namespace

void WritePhaseSequencer(std::ostream& out, int ratio, int clocks) {
    const int pb = IndexBits(ratio);
    const int sb = IndexBits(clocks);
    const bool phases = ratio > 1;
    const std::string steps = std::to_string(clocks) + (clocks == 1 ? " step" : " steps");
    if (phases)
        out << "    // Sequencer: r = " << ratio << " phases of " << steps << " per symbol.\n";
    else
        out << "    // Sequencer: " << steps << " per sample.\n";
    out << "    reg active;\n";
    if (phases) out << "    reg [" << pb - 1 << ":0] phase;\n";
    out << "    reg [" << sb - 1 << ":0] step;\n"
        << "    wire step_last = step == " << Unsigned(clocks - 1, sb) << ";\n";
    if (phases)
        out << "    wire phase_last = phase == " << Unsigned(ratio - 1, pb) << ";\n"
            << "    assign in_ready = !rst && (!active || (step_last && phase_last));\n";
    else
        out << "    assign in_ready = !rst && (!active || step_last);\n";
    out << "    always @(posedge clk)\n"
        << "        if (rst) begin\n"
        << "            active <= 1'b0;\n";
    if (phases) out << "            phase <= " << Unsigned(0, pb) << ";\n";
    out << "            step <= " << Unsigned(0, sb) << ";\n"
        << "        end else if (take) begin\n"
        << "            active <= 1'b1;\n";
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

int ShiftBits(const CoreModel& m) { return IndexBits(m.coef.word); }

// Coefficient field of an entry: the integer, or two shifted terms {use, negative, shift}.
int CoefficientBits(const CoreModel& m) { return m.multiplierFree ? 2 * (2 + ShiftBits(m)) : m.coef.word; }

std::string CoefficientField(const CoreModel& m, const TapProduct* p) {
    if (!m.multiplierFree) return Literal(p ? p->coefficient : 0, m.coef.word);
    if (!p) return Unsigned(0, CoefficientBits(m));
    return "{" + TermField(p->terms[0], ShiftBits(m)) + ", " + TermField(p->terms[1], ShiftBits(m)) + "}";
}

bool HasPairs(const PolyphaseSchedule& s) {
    for (const auto& terms : s.phases)
        for (const PolyphaseTerm& t : terms)
            if (t.pair) return true;
    return false;
}

// The symbol memory: a ring written at each handshake; FILLED counts the symbols since reset,
// up to the depth an output reaches.
void WriteSymbolMemory(std::ostream& out, const CoreModel& m, const std::string& noun, int reach, int addressBits,
                       int filledBits, const std::vector<std::string>& copies) {
    const int ib = m.in.word;
    const int size = 1 << addressBits;
    out << "    // " << noun << " memory: " << size << " words, a ring; delay d sits at write_addr - 1 - d"
        << (copies.size() > 1 ? " (a copy per read port)" : "") << ".\n";
    for (const std::string& copy : copies) out << "    " << Signed("reg", ib) << " " << copy << " [0:" << size - 1 << "];\n";
    out << "    reg [" << addressBits - 1 << ":0] write_addr;\n"
        << "    reg [" << filledBits - 1 << ":0] filled;\n"
        << "    always @(posedge clk)\n";
    if (copies.size() == 1) {
        out << "        if (take) " << copies.front() << "[write_addr] <= x_in;\n";
    } else {
        out << "        if (take) begin\n";
        for (const std::string& copy : copies) out << "            " << copy << "[write_addr] <= x_in;\n";
        out << "        end\n";
    }
    out << "    always @(posedge clk)\n"
        << "        if (rst) begin\n"
        << "            write_addr <= " << Unsigned(0, addressBits) << ";\n"
        << "            filled <= " << Unsigned(0, filledBits) << ";\n"
        << "        end else if (take) begin\n"
        << "            write_addr <= write_addr + " << Unsigned(1, addressBits) << ";\n"
        << "            if (filled != " << Unsigned(reach, filledBits) << ") filled <= filled + " << Unsigned(1, filledBits)
        << ";\n"
        << "        end\n\n";
}

std::string Masked(const std::string& use, const std::string& value, int width) {
    return "(" + use + " ? " + value + " : " + Literal(0, width) + ")";
}


void WriteScheduledProduct(std::ostream& out, const CoreModel& m, const std::string& prefix,
                           const std::string& operand, const std::string& coef, int operandWidth,
                           const std::string& multiplierNote, const std::string& pathNote) {
    const int ow = operandWidth;
    const std::string exact = prefix + "exact";
    const Operand v{operand, ow, m.in.fraction};
    const int width = ProductWidth(m, ow);
    out << kDroppedBitsOff;
    if (!m.multiplierFree) {
        out << "    // " << multiplierNote << ".\n"
            << "    " << Signed("wire", width) << " " << exact << " = " << SignExtend(operand, ow, width) << " * "
            << SignExtend(coef, CoefficientBits(m), width) << ";\n";
    } else {
        const int bits = ShiftBits(m);
        const std::string wide = prefix + "wide";
        out << "    // " << pathNote << ": two shifted copies of the operand, added or subtracted.\n"
            << "    " << Signed("wire", width) << " " << wide << " = " << SignExtend(operand, ow, width) << ";\n";
        for (int k = 0; k < 2; ++k) {
            const int low = k == 0 ? bits + 2 : 0;
            const std::string up = prefix + "up" + std::to_string(k + 1);
            const std::string shifted = prefix + "shifted" + std::to_string(k + 1);
            out << "    " << Signed("wire", width) << " " << up << " = " << wide << " <<< " << coef << "["
                << low + bits - 1 << ":" << low << "];\n"
                << "    " << Signed("wire", width) << " " << shifted << " = !" << coef << "[" << low + bits + 1
                << "] ? " << Literal(0, width) << " : (" << coef << "[" << low + bits << "] ? -" << up << " : " << up
                << ");\n";
        }
        out << "    " << Signed("wire", width) << " " << exact << " = " << prefix << "shifted1 + " << prefix
            << "shifted2;\n";
    }
    out << "    " << Signed("wire", m.mult.word) << " " << prefix << "floored = " << ProductToMult(m, v, exact, width)
        << ";\n"
        << kDroppedBitsOn;
}

void WritePolyphaseShared(std::ostream& out, const CoreModel& m, const PolyphaseSchedule& s, const HardwareTiming& t) {
    const int ib = m.in.word;
    const int w = m.mult.word;
    const int clocks = t.clocksPerSample;
    const int pb = IndexBits(s.ratio);
    const int sb = IndexBits(clocks);
    const int addressBits = IndexBits(s.depth + 1);
    const int filledBits = IndexBits(s.depth + 1);
    const int cb = CoefficientBits(m);
    const bool pairs = HasPairs(s);
    const bool negates = m.folding == CoefSymmetry::MagnitudeSymmetric && m.IsTransposed();
    WritePhaseSequencer(out, s.ratio, clocks);
    WriteSymbolMemory(out, m, "Symbol", s.depth, addressBits, filledBits, {"symbols"});

    auto field = [&](const std::string& name, const std::string& value) {
        return "                " + name + " <= " + value + ";\n";
    };
    out << "    // Stage 1: the coefficient memory, one entry per phase and step: the symbols the product\n"
        << "    // reads (by delay, zero before the first symbol), its coefficient"
        << (negates ? " and sign" : "") << ".\n"
        << "    reg valid_1, first_1, last_1, use_a_1" << (pairs ? ", use_b_1" : "") << (negates ? ", negate_1" : "")
        << ";\n"
        << "    reg [" << addressBits - 1 << ":0] addr_a_1" << (pairs ? ", addr_b_1" : "") << ";\n"
        << "    " << (m.multiplierFree ? "reg [" + std::to_string(cb - 1) + ":0]" : Signed("reg", cb)) << " coef_1;\n"
        << "    always @(posedge clk) begin\n"
        << "        valid_1 <= !rst && active;\n"
        << "        first_1 <= step == " << Unsigned(0, sb) << ";\n"
        << "        last_1 <= step_last;\n"
        << "        case ({phase, step})\n";
    for (int p = 0; p < s.ratio; ++p) {
        for (int j = 0; j < clocks; ++j) {
            const std::vector<PolyphaseTerm>& terms = s.phases[static_cast<std::size_t>(p)];
            const PolyphaseTerm* term = j < static_cast<int>(terms.size()) ? &terms[static_cast<std::size_t>(j)] : nullptr;
            const int a = term ? term->delayA : -1;
            const int b = term ? term->delayB : -1;
            out << "            {" << Unsigned(p, pb) << ", " << Unsigned(j, sb) << "}: begin\n"
                << field("use_a_1", a < 0 ? "1'b0" : "filled > " + Unsigned(a, filledBits))
                << field("addr_a_1", "write_addr - " + Unsigned(a < 0 ? 1 : a + 1, addressBits));
            if (pairs)
                out << field("use_b_1", b < 0 ? "1'b0" : "filled > " + Unsigned(b, filledBits))
                    << field("addr_b_1", "write_addr - " + Unsigned(b < 0 ? 1 : b + 1, addressBits));
            out << field("coef_1", CoefficientField(m, term ? &term->product : nullptr));
            if (negates) out << field("negate_1", term && term->negate ? "1'b1" : "1'b0");
            out << "            end\n";
        }
    }
    out << "            default: begin\n"
        << field("use_a_1", "1'b0") << field("addr_a_1", Unsigned(0, addressBits));
    if (pairs) out << field("use_b_1", "1'b0") << field("addr_b_1", Unsigned(0, addressBits));
    out << field("coef_1", CoefficientField(m, nullptr));
    if (negates) out << field("negate_1", "1'b0");
    out << "            end\n"
        << "        endcase\n"
        << "    end\n\n";

    const std::string coefType = m.multiplierFree ? "reg [" + std::to_string(cb - 1) + ":0]" : Signed("reg", cb);
    out << "    // Stage 2: the symbol memory read.\n"
        << "    reg valid_2, first_2, last_2, use_a_2" << (pairs ? ", use_b_2" : "") << (negates ? ", negate_2" : "") << ";\n"
        << "    " << Signed("reg", ib) << " sym_a_2" << (pairs ? ", sym_b_2" : "") << ";\n"
        << "    " << coefType << " coef_2;\n"
        << "    always @(posedge clk) begin\n"
        << "        valid_2 <= !rst && valid_1;\n"
        << "        first_2 <= first_1;\n"
        << "        last_2 <= last_1;\n"
        << "        use_a_2 <= use_a_1;\n"
        << "        sym_a_2 <= symbols[addr_a_1];\n";
    if (pairs) out << "        use_b_2 <= use_b_1;\n        sym_b_2 <= symbols[addr_b_1];\n";
    if (negates) out << "        negate_2 <= negate_1;\n";
    out << "        coef_2 <= coef_1;\n"
        << "    end\n\n";

    const int ow = pairs ? ib + 1 : ib;
    const char* joint = m.folding == CoefSymmetry::MagnitudeSymmetric ? " - " : " + ";
    out << "    " << Signed("wire", ib) << " masked_a = " << Masked("use_a_2", "sym_a_2", ib) << ";\n";
    if (pairs) out << "    " << Signed("wire", ib) << " masked_b = " << Masked("use_b_2", "sym_b_2", ib) << ";\n";
    out << "    // Stage 3: the operand" << (pairs ? ", a mirror pair's symbols joined" : "") << ".\n"
        << "    reg valid_3, first_3, last_3" << (negates ? ", negate_3" : "") << ";\n"
        << "    " << Signed("reg", ow) << " operand_3;\n"
        << "    " << coefType << " coef_3;\n"
        << "    always @(posedge clk) begin\n"
        << "        valid_3 <= !rst && valid_2;\n"
        << "        first_3 <= first_2;\n"
        << "        last_3 <= last_2;\n";
    if (pairs)
        out << "        operand_3 <= " << SignExtend("masked_a", ib, ib + 1) << joint << SignExtend("masked_b", ib, ib + 1)
            << ";\n";
    else
        out << "        operand_3 <= masked_a;\n";
    if (negates) out << "        negate_3 <= negate_2;\n";
    out << "        coef_3 <= coef_2;\n"
        << "    end\n\n";

    out << "    // Stage 4: the product, floored and wrapped to qmult.\n";
    WriteScheduledProduct(out, m, "", "operand_3", "coef_3", ow, "The one multiplier", "The one shift-and-add path");
    out << "    reg valid_4, first_4, last_4;\n"
        << "    " << Signed("reg", w) << " product_4;\n"
        << "    always @(posedge clk) begin\n"
        << "        valid_4 <= !rst && valid_3;\n"
        << "        first_4 <= first_3;\n"
        << "        last_4 <= last_3;\n"
        << "        product_4 <= " << (negates ? "negate_3 ? -floored : floored" : "floored") << ";\n"
        << "    end\n\n";

    out << "    // Stage 5: accumulation; the last step's sum leaves in the output register.\n"
        << "    " << Signed("reg", w) << " acc;\n"
        << kDroppedBitsOff << "    " << Signed("wire", w) << " acc_next = (first_4 ? " << Literal(0, w)
        << " : acc) + product_4;\n"
        << kDroppedBitsOn << "    " << Signed("reg", m.out.word) << " out_r;\n"
        << "    reg valid_r;\n"
        << "    always @(posedge clk) begin\n"
        << "        acc <= acc_next;\n"
        << "        if (valid_4 && last_4) out_r <= " << MultToOutput(m, "acc_next") << ";\n"
        << "        valid_r <= !rst && valid_4 && last_4;\n"
        << "    end\n"
        << "    assign out_valid = valid_r;\n"
        << "    assign out_data = out_r;\n";
}

}  // namespace fir::vlog
