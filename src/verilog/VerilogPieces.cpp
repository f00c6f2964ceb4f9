// Pieces the structure bodies share: constant products (multiplier, shift or shifted terms), the
// floor and wrap to qmult, qout with its own modes, and the shared cores' coefficient memory, shared product
// path and sequencer.
#include <algorithm>
#include <stdexcept>

#include "fir/OutputQuantizer.h"

#include "verilog/VerilogStructures.h"
#include "verilog/VerilogText.h"

namespace fir::vlog {

namespace {

int Log2(std::int64_t magnitude) {
    int k = 0;
    while ((static_cast<std::int64_t>(1) << k) < magnitude) ++k;
    return k;
}

std::string SignedTerm(int sign, const std::string& term, bool first) {
    if (sign < 0) return (first ? "-" : " - ") + term;
    return (first ? "" : " + ") + term;
}

// Shift amounts of a multiplier-free shared core: 0 .. coef.word-1.
int ShiftBits(const CoreModel& m) { return IndexBits(m.coef.word); }

std::string RomTerm(const ShiftTerm& t, int shiftBits) {
    const int use = t.sign != 0 ? 1 : 0;
    const int negative = t.sign < 0 ? 1 : 0;
    return "1'b" + std::to_string(use) + ", 1'b" + std::to_string(negative) + ", " +
           Unsigned(use ? t.shift : 0, shiftBits);
}

std::string RomEntry(const CoreModel& m, const TapProduct& p) {
    if (!m.multiplierFree) return Literal(p.coefficient, m.coef.word);
    const int bits = ShiftBits(m);
    return "{" + RomTerm(p.terms[0], bits) + ", " + RomTerm(p.terms[1], bits) + "}";
}

// One shifted term of the shared shift-and-add path, decoded from its ROM field at bit LOW.
void WriteSharedTerm(std::ostream& out, int index, int low, int shiftBits, int width, const std::string& coef) {
    const std::string n = std::to_string(index);
    const int high = low + shiftBits + 1;
    out << "    wire mul_use" << n << " = " << coef << "[" << high << "];\n"
        << "    wire mul_neg" << n << " = " << coef << "[" << high - 1 << "];\n"
        << "    wire [" << shiftBits - 1 << ":0] mul_shift" << n << " = " << coef << "[" << high - 2 << ":" << low
        << "];\n"
        << "    " << Signed("wire", width) << " mul_up" << n << " = mul_wide <<< mul_shift" << n << ";\n"
        << "    " << Signed("wire", width) << " mul_term" << n << " = !mul_use" << n << " ? " << Literal(0, width)
        << " : (mul_neg" << n << " ? -mul_up" << n << " : mul_up" << n << ");\n";
}

// A signed literal of any width for a value of at most 63 bits.
std::string WideLiteral(std::int64_t value, int width) {
    const std::uint64_t absolute = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    const std::string magnitude = std::to_string(width) + "'sd" + std::to_string(absolute);
    return value < 0 ? "(-" + magnitude + ")" : magnitude;
}

// scaled = held * 2^-shift, rounded by the mode: floor(held + increment), the increment chosen by
// the sign of the sum (ties away from zero, towards zero) or by the bit that lands on the output's
// LSB (ties to even).
void WriteRounding(std::ostream& out, OutputRounding rounding, int shift, int width, int sumWidth) {
    if (shift <= 0) {
        out << "            scaled = held <<< " << -shift << ";\n";
        return;
    }
    const std::int64_t half = std::int64_t{1} << (shift - 1);
    const std::int64_t below = (std::int64_t{1} << shift) - 1;
    const std::string sign = "sum[" + std::to_string(sumWidth - 1) + "]";
    auto step = [&](std::int64_t increment) {
        return "(held + " + WideLiteral(increment, width) + ") >>> " + std::to_string(shift);
    };
    auto either = [&](const std::string& condition, std::int64_t yes, std::int64_t no) {
        out << "            if (" << condition << ") scaled = " << step(yes) << ";\n"
            << "            else scaled = " << step(no) << ";\n";
    };
    switch (rounding) {
        case OutputRounding::Floor: out << "            scaled = " << step(0) << ";\n"; break;
        case OutputRounding::Ceil: out << "            scaled = " << step(below) << ";\n"; break;
        case OutputRounding::Nearest: out << "            scaled = " << step(half) << ";\n"; break;
        case OutputRounding::Fix: either(sign, below, 0); break;
        case OutputRounding::Round: either(sign, half - 1, half); break;
        case OutputRounding::Convergent: either("held[" + std::to_string(shift) + "]", half, half - 1); break;
    }
}

}  // namespace

int ProductWidth(const CoreModel& m, int operandWidth) {
    return operandWidth + m.coef.word + (m.multiplierFree ? 2 : 0);
}

std::string ConstantProduct(const CoreModel& m, const Operand& v, const TapProduct& p) {
    const int width = ProductWidth(m, v.width);
    if (m.multiplierFree) {
        std::string text;
        for (const ShiftTerm& t : p.terms) {
            if (t.sign == 0) continue;
            text += SignedTerm(t.sign, ShiftedUp(v.name, v.width, t.shift, width), text.empty());
        }
        return text;
    }
    const std::int64_t c = p.coefficient;
    if (c == 0) return "";
    if (IsPowerOfTwoMagnitude(c)) {
        const std::int64_t magnitude = c < 0 ? -c : c;
        return SignedTerm(c < 0 ? -1 : 1, ShiftedUp(v.name, v.width, Log2(magnitude), width), true);
    }
    return SignExtend(v.name, v.width, width) + " * " + Literal(c, width);
}

std::string ProductToMult(const CoreModel& m, const Operand& v, const std::string& exact, int width) {
    return Requantize(exact, width, v.fraction + m.coef.fraction - m.mult.fraction, m.mult.word);
}

std::string MultToOutput(const CoreModel& m, const std::string& sum) {
    if (!m.OutputFloorsAndWraps()) return std::string(kOutputQuantizer) + "(" + sum + ")";
    return Requantize(sum, m.mult.word, m.mult.fraction - m.scaleExp - m.out.fraction, m.out.word);
}

void WriteOutputQuantizer(std::ostream& out, const CoreModel& m) {
    if (m.OutputFloorsAndWraps()) return;
    const int sumWidth = m.mult.word;
    const int shift = m.mult.fraction - m.scaleExp - m.out.fraction;
    // Room for the sum shifted up, the rounding increment's carry and the output's own range.
    const int width = std::max(sumWidth + std::max(0, -shift), m.out.word + std::max(0, shift)) + 2;
    const std::string name = kOutputQuantizer;
    out << "    // qout: " << RoundingName(m.outputRounding) << " and " << OverflowName(m.outputOverflow)
        << " of a qmult sum to the output format.\n"
        << kDroppedBitsOff << "    function signed [" << m.out.word - 1 << ":0] " << name << ";\n"
        << "        input signed [" << sumWidth - 1 << ":0] sum;\n"
        << "        " << Signed("reg", width) << " held;\n"
        << "        " << Signed("reg", width) << " scaled;\n"
        << "        begin\n"
        << "            held = " << SignExtend("sum", sumWidth, width) << ";\n";
    WriteRounding(out, m.outputRounding, shift, width, sumWidth);
    const std::string low = "scaled[" + std::to_string(m.out.word - 1) + ":0]";
    if (m.outputOverflow == OutputOverflow::Saturate) {
        const std::int64_t top = (std::int64_t{1} << (m.out.word - 1)) - 1;
        out << "            if (scaled > " << WideLiteral(top, width) << ") " << name << " = "
            << WideLiteral(top, m.out.word) << ";\n"
            << "            else if (scaled < " << WideLiteral(-top - 1, width) << ") " << name << " = "
            << WideLiteral(-top - 1, m.out.word) << ";\n"
            << "            else " << name << " = " << low << ";\n";
    } else {
        out << "            " << name << " = " << low << ";\n";
    }
    out << "        end\n"
        << "    endfunction\n"
        << kDroppedBitsOn << "\n";
}

int CoefficientRomWidth(const CoreModel& m) {
    return m.multiplierFree ? 2 * (2 + ShiftBits(m)) : m.coef.word;
}

void WriteCoefficientRom(std::ostream& out, const CoreModel& m, const std::vector<TapProduct>& entries,
                         const std::string& step, int stepBits) {
    const int width = CoefficientRomWidth(m);
    out << "    // Coefficient memory, one entry per step"
        << (m.multiplierFree ? ": two terms {use, negative, shift}" : "") << ".\n"
        << "    " << (m.multiplierFree ? "reg [" + std::to_string(width - 1) + ":0]" : Signed("reg", width))
        << " coef_r;\n"
        << "    always @(posedge clk)\n"
        << "        case (" << step << ")\n";
    for (std::size_t i = 0; i < entries.size(); ++i)
        out << "            " << Unsigned(static_cast<std::int64_t>(i), stepBits) << ": coef_r <= "
            << RomEntry(m, entries[i]) << ";\n";
    out << "            default: coef_r <= "
        << (m.multiplierFree ? Unsigned(0, width) : Literal(0, width)) << ";\n"
        << "        endcase\n\n";
}

int SharedProductWidth(const CoreModel& m, int operandWidth) { return ProductWidth(m, operandWidth); }

void WriteSharedProduct(std::ostream& out, const CoreModel& m, const Operand& v, const std::string& coef,
                        const std::string& exact) {
    const int width = SharedProductWidth(m, v.width);
    if (!m.multiplierFree) {
        out << "    // The one multiplier.\n"
            << kDroppedBitsOff << "    " << Signed("wire", width) << " " << exact << " = "
            << SignExtend(v.name, v.width, width) << " * " << SignExtend(coef, m.coef.word, width) << ";\n"
            << kDroppedBitsOn;
        return;
    }
    const int bits = ShiftBits(m);
    out << "    // The one shift-and-add path: two shifted copies of the operand, added or subtracted.\n"
        << "    " << Signed("wire", width) << " mul_wide = " << SignExtend(v.name, v.width, width) << ";\n";
    WriteSharedTerm(out, 1, bits + 2, bits, width, coef);
    WriteSharedTerm(out, 2, 0, bits, width, coef);
    out << kDroppedBitsOff << "    " << Signed("wire", width) << " " << exact << " = mul_term1 + mul_term2;\n"
        << kDroppedBitsOn;
}

void WriteSequencer(std::ostream& out, int clocksPerSample, int clearDepth) {
    const int stepBits = IndexBits(clocksPerSample);
    const int clearBits = IndexBits(clearDepth);
    out << "    // Sequencer: " << clocksPerSample << " clocks per sample; after reset the memories clear for "
        << clearDepth << " clocks.\n"
        << "    reg busy;\n"
        << "    reg [" << stepBits - 1 << ":0] step;\n"
        << "    wire last = busy && step == " << Unsigned(clocksPerSample - 1, stepBits) << ";\n"
        << "    reg clearing;\n"
        << "    reg [" << clearBits - 1 << ":0] clear_addr;\n"
        << "    assign in_ready = !rst && !clearing && (!busy || last);\n"
        << "    always @(posedge clk)\n"
        << "        if (rst) begin\n"
        << "            busy <= 1'b0;\n"
        << "            step <= " << Unsigned(0, stepBits) << ";\n"
        << "            clearing <= 1'b1;\n"
        << "            clear_addr <= " << Unsigned(clearDepth - 1, clearBits) << ";\n"
        << "        end else begin\n"
        << "            if (clearing) begin\n"
        << "                clear_addr <= clear_addr - " << Unsigned(1, clearBits) << ";\n"
        << "                if (clear_addr == " << Unsigned(0, clearBits) << ") clearing <= 1'b0;\n"
        << "            end\n"
        << "            if (take) begin\n"
        << "                busy <= 1'b1;\n"
        << "                step <= " << Unsigned(0, stepBits) << ";\n"
        << "            end else if (busy) begin\n"
        << "                busy <= !last;\n"
        << "                step <= last ? " << Unsigned(0, stepBits) << " : step + " << Unsigned(1, stepBits)
        << ";\n"
        << "            end\n"
        << "        end\n\n";
}

std::string WriteAdderTree(std::ostream& out, const CoreModel& m, std::vector<std::string> level, int stage) {
    const int w = m.mult.word;
    for (int depth = 1; level.size() > 1; ++depth, ++stage) {
        std::vector<std::string> next;
        std::string statements;
        out << "    // Stage " << stage << ": adder tree level " << depth << ".\n";
        for (std::size_t k = 0; k < level.size(); k += 2) {
            next.push_back("sum" + std::to_string(depth) + "_" + std::to_string(next.size() + 1));
            out << "    " << Signed("reg", w) << " " << next.back() << ";\n";
            statements += "        " + next.back() + " <= " + level[k] +
                          (k + 1 < level.size() ? " + " + level[k + 1] : std::string()) + ";\n";
        }
        out << "    always @(posedge clk) begin\n" << statements << "    end\n\n";
        level = next;
    }
    return level.front();
}

}  // namespace fir::vlog
