// The fully parallel polyphase interpolators: one output per clock, r clocks per symbol. Each of
// the busiest phase's products has one slot; a slot's coefficient changes with the phase, so a
// slot is one general multiplier (or, when every coefficient it takes is a shift or nothing, and
// for multiplier-free cores, a choice between the phases' shifted terms).
//   direct:     symbols in registers; per clock the phase's operands, products, a registered
//               adder tree
//   transposed: the symbol held for its r clocks multiplies the phase's coefficients; product d
//               joins the chain place of symbol delay d, each place a delay of r clocks
#include <algorithm>
#include <map>
#include <vector>

#include "verilog/VerilogPolyphase.h"
#include "verilog/VerilogStructures.h"
#include "verilog/VerilogText.h"

namespace fir::vlog {

namespace {

std::string Name(const std::string& stem, int index) { return stem + "_" + std::to_string(index); }
std::string Name(const std::string& stem, int a, int b) { return Name(Name(stem, a), b); }

const PolyphaseTerm* TermAt(const PolyphaseSchedule& s, int phase, int slot) {
    const std::vector<PolyphaseTerm>& terms = s.phases[static_cast<std::size_t>(phase)];
    return slot < static_cast<int>(terms.size()) ? &terms[static_cast<std::size_t>(slot)] : nullptr;
}

bool SlotHasPairs(const PolyphaseSchedule& s, int slot) {
    for (int p = 0; p < s.ratio; ++p)
        if (const PolyphaseTerm* t = TermAt(s, p, slot); t && t->pair) return true;
    return false;
}

bool SlotNegates(const PolyphaseSchedule& s, int slot) {
    for (int p = 0; p < s.ratio; ++p)
        if (const PolyphaseTerm* t = TermAt(s, p, slot); t && t->negate) return true;
    return false;
}

// NAME (qmult) negated, or as it is.
std::string MaybeNegated(const std::string& name, bool negate) { return negate ? "-" + name : name; }

// The operands a slot's products read: A (input format), or with pre-added pairs the sum
// A +/- B one bit wider, and the same floored to qmult where the structure does so.
struct SlotOperands {
    Operand single;
    Operand pairSum;
    Operand pairQuantized;
};

SlotOperands WriteSlotOperands(std::ostream& out, const CoreModel& m, const PolyphaseSchedule& s, int slot,
                               const std::string& a, const std::string& b) {
    const int ib = m.in.word;
    SlotOperands o{{a, ib, m.in.fraction}, {}, {}};
    if (!SlotHasPairs(s, slot)) return o;
    const char* joint = m.folding == CoefSymmetry::MagnitudeSymmetric ? " - " : " + ";
    o.pairSum = {Name("pair_sum", slot), ib + 1, m.in.fraction};
    out << "    " << Signed("wire", ib + 1) << " " << o.pairSum.name << " = " << SignExtend(a, ib, ib + 1) << joint
        << SignExtend(b, ib, ib + 1) << ";\n";
    if (PairSumQuantized(m)) {
        o.pairQuantized = {Name("pair_q", slot), m.mult.word, m.mult.fraction};
        out << "    " << Signed("wire", m.mult.word) << " " << o.pairQuantized.name << " = "
            << Requantize(o.pairSum.name, ib + 1, m.in.fraction - m.mult.fraction, m.mult.word) << ";\n";
    }
    return o;
}

const Operand& OperandOf(const SlotOperands& o, const PolyphaseTerm& t) {
    if (t.pair) return t.pairQuantized ? o.pairQuantized : o.pairSum;
    return o.pairSum.name.empty() ? o.single : o.pairSum;
}

// A slot's product in qmult, declared as wire PRODUCT: the phase picks its coefficient (a
// general multiplier), or its own constant product (shifts, shifted terms).
void WriteSlotProduct(std::ostream& out, const CoreModel& m, const PolyphaseSchedule& s, int slot,
                      const SlotOperands& o, const std::string& phase, const std::string& product) {
    const int w = m.mult.word;
    const int pb = IndexBits(s.ratio);
    const std::string n = std::to_string(slot);
    out << kDroppedBitsOff;
    if (SlotNeedsMultiplier(m, s, slot)) {
        const Operand& v = SlotHasPairs(s, slot) ? o.pairSum : o.single;
        const int width = ProductWidth(m, v.width);
        out << "    " << Signed("reg", m.coef.word) << " coef_" << n << ";\n";
        if (SlotNegates(s, slot)) out << "    reg negate_" << n << ";\n";
        out << "    always @* begin\n"
            << "        case (" << phase << ")\n";
        for (int p = 0; p < s.ratio; ++p) {
            const PolyphaseTerm* t = TermAt(s, p, slot);
            out << "            " << Unsigned(p, pb) << ": coef_" << n << " = " << Literal(t ? t->product.coefficient : 0, m.coef.word)
                << ";\n";
        }
        out << "            default: coef_" << n << " = " << Literal(0, m.coef.word) << ";\n"
            << "        endcase\n";
        if (SlotNegates(s, slot)) {
            out << "        case (" << phase << ")\n";
            for (int p = 0; p < s.ratio; ++p) {
                const PolyphaseTerm* t = TermAt(s, p, slot);
                out << "            " << Unsigned(p, pb) << ": negate_" << n << " = " << (t && t->negate ? "1'b1" : "1'b0")
                    << ";\n";
            }
            out << "            default: negate_" << n << " = 1'b0;\n"
                << "        endcase\n";
        }
        out << "    end\n"
            << "    " << Signed("wire", width) << " exact_" << n << " = " << SignExtend(v.name, v.width, width) << " * "
            << SignExtend("coef_" + n, m.coef.word, width) << ";\n"
            << "    " << Signed("wire", w) << " floored_" << n << " = " << ProductToMult(m, v, "exact_" + n, width) << ";\n"
            << "    " << Signed("wire", w) << " " << product << " = "
            << (SlotNegates(s, slot) ? "negate_" + n + " ? -floored_" + n + " : floored_" + n : "floored_" + n) << ";\n"
            << kDroppedBitsOn;
        return;
    }
    for (int p = 0; p < s.ratio; ++p) {
        const PolyphaseTerm* t = TermAt(s, p, slot);
        const std::string term = Name("term", slot, p);
        if (!t) {
            out << "    " << Signed("wire", w) << " " << term << " = " << Literal(0, w) << ";\n";
            continue;
        }
        const Operand& v = OperandOf(o, *t);
        const int width = ProductWidth(m, v.width);
        const std::string exact = Name("exact", slot, p);
        out << "    " << Signed("wire", width) << " " << exact << " = " << ConstantProduct(m, v, t->product)
            << ";  // tap " << t->tap << "\n"
            << "    " << Signed("wire", w) << " " << Name("floored", slot, p) << " = " << ProductToMult(m, v, exact, width)
            << ";\n"
            << "    " << Signed("wire", w) << " " << term << " = " << MaybeNegated(Name("floored", slot, p), t->negate)
            << ";\n";
    }
    out << kDroppedBitsOn << "    " << Signed("reg", w) << " " << product << ";\n"
        << "    always @*\n"
        << "        case (" << phase << ")\n";
    for (int p = 0; p < s.ratio; ++p) out << "            " << Unsigned(p, pb) << ": " << product << " = " << Name("term", slot, p) << ";\n";
    out << "            default: " << product << " = " << Literal(0, w) << ";\n"
        << "        endcase\n";
}

void WriteSymbolLine(std::ostream& out, const CoreModel& m, int depth) {
    out << "    // Symbols: sym_0 the newest, sym_" << depth - 1 << " the oldest an output reaches.\n";
    for (int d = 0; d < depth; ++d) out << "    " << Signed("reg", m.in.word) << " " << Name("sym", d) << ";\n";
    out << "    always @(posedge clk)\n"
        << "        if (rst) begin\n";
    for (int d = 0; d < depth; ++d) out << "            " << Name("sym", d) << " <= " << Literal(0, m.in.word) << ";\n";
    out << "        end else if (take) begin\n"
        << "            sym_0 <= x_in;\n";
    for (int d = 1; d < depth; ++d) out << "            " << Name("sym", d) << " <= " << Name("sym", d - 1) << ";\n";
    out << "        end\n\n";
}

std::string SymbolOrZero(const CoreModel& m, int delay) {
    return delay < 0 ? Literal(0, m.in.word) : Name("sym", delay);
}

// Stage 1 of the direct form: each slot's symbols for the phase, and the phase itself.
void WriteOperandStage(std::ostream& out, const CoreModel& m, const PolyphaseSchedule& s) {
    const int pb = IndexBits(s.ratio);
    out << "    // Stage 1: the phase's symbols for each slot.\n"
        << "    reg [" << pb - 1 << ":0] phase_1;\n";
    for (int j = 0; j < s.slots; ++j) {
        out << "    " << Signed("reg", m.in.word) << " " << Name("a", j) << ";\n";
        if (SlotHasPairs(s, j)) out << "    " << Signed("reg", m.in.word) << " " << Name("b", j) << ";\n";
    }
    out << "    always @(posedge clk) begin\n"
        << "        phase_1 <= phase;\n"
        << "        case (phase)\n";
    for (int p = 0; p <= s.ratio; ++p) {
        out << "            " << (p < s.ratio ? Unsigned(p, pb) : std::string("default")) << ": begin\n";
        for (int j = 0; j < s.slots; ++j) {
            const PolyphaseTerm* t = p < s.ratio ? TermAt(s, p, j) : nullptr;
            out << "                " << Name("a", j) << " <= " << SymbolOrZero(m, t ? t->delayA : -1) << ";\n";
            if (SlotHasPairs(s, j))
                out << "                " << Name("b", j) << " <= " << SymbolOrZero(m, t ? t->delayB : -1) << ";\n";
        }
        out << "            end\n";
    }
    out << "        endcase\n"
        << "    end\n\n";
}

void WriteValidPipe(std::ostream& out, int stages) {
    out << "    // One valid bit per stage: out_valid marks a phase that reaches the end.\n"
        << "    reg [" << stages - 1 << ":0] valid_pipe;\n"
        << "    always @(posedge clk)\n"
        << "        if (rst) valid_pipe <= " << Unsigned(0, stages) << ";\n";
    if (stages == 1) out << "        else valid_pipe <= active;\n";
    else out << "        else valid_pipe <= {valid_pipe[" << stages - 2 << ":0], active};\n";
    out << "    assign out_valid = valid_pipe[" << stages - 1 << "];\n";
}

}  // namespace

void WritePhaseCounter(std::ostream& out, int ratio) {
    const int pb = IndexBits(ratio);
    const std::string last = Unsigned(ratio - 1, pb);
    out << "    // Phase counter: the r = " << ratio << " outputs of a symbol, one per clock.\n"
        << "    reg active;\n"
        << "    reg [" << pb - 1 << ":0] phase;\n"
        << "    assign in_ready = !rst && (!active || phase == " << last << ");\n"
        << "    always @(posedge clk)\n"
        << "        if (rst) begin\n"
        << "            active <= 1'b0;\n"
        << "            phase <= " << Unsigned(0, pb) << ";\n"
        << "        end else if (take) begin\n"
        << "            active <= 1'b1;\n"
        << "            phase <= " << Unsigned(0, pb) << ";\n"
        << "        end else if (active) begin\n"
        << "            active <= phase != " << last << ";\n"
        << "            phase <= phase == " << last << " ? " << Unsigned(0, pb) << " : phase + " << Unsigned(1, pb) << ";\n"
        << "        end\n\n";
}

void WritePolyphaseParallelDirect(std::ostream& out, const CoreModel& m, const PolyphaseSchedule& s) {
    WritePhaseCounter(out, s.ratio);
    WriteSymbolLine(out, m, s.depth);
    const int w = m.mult.word;
    std::vector<std::string> products;
    if (s.slots == 0) {
        out << "    " << Signed("reg", w) << " prod_0;  // every tap is zero\n"
            << "    always @(posedge clk) prod_0 <= " << Literal(0, w) << ";\n\n";
        products.push_back("prod_0");
    } else {
        WriteOperandStage(out, m, s);
        out << "    // Stage 2: products, floored and wrapped to qmult.\n";
        std::string statements;
        for (int j = 0; j < s.slots; ++j) {
            const SlotOperands o = WriteSlotOperands(out, m, s, j, Name("a", j), Name("b", j));
            WriteSlotProduct(out, m, s, j, o, "phase_1", Name("product", j));
            products.push_back(Name("prod", j));
            out << "    " << Signed("reg", w) << " " << products.back() << ";\n";
            statements += "        " + products.back() + " <= " + Name("product", j) + ";\n";
        }
        out << "    always @(posedge clk) begin\n" << statements << "    end\n\n";
    }
    const int levels = AdderTreeLevels(static_cast<int>(products.size()));
    const std::string sum = WriteAdderTree(out, m, products, 3);
    WriteValidPipe(out, 2 + levels);
    out << kDroppedBitsOff << "    " << Signed("wire", w) << " result = " << sum << ";\n"
        << kDroppedBitsOn << "    assign out_data = " << MultToOutput(m, "result") << ";\n";
}

namespace {

// The transposed interpolator's chain: place d takes, in each phase, the product SOURCE(p, j) of
// the phase's term j of symbol delay d (chosen by PHASE, registered when REGISTERED: the chain
// then takes it a clock later); the places move on while ACTIVE.
template <typename Source>
void WriteTransposedPhaseChain(std::ostream& out, const CoreModel& m, const PolyphaseSchedule& s,
                               const std::string& phase, const std::string& active, bool registered,
                               Source source) {
    const int w = m.mult.word;
    const int pb = IndexBits(s.ratio);
    const std::string takes = registered ? " <= " : " = ";
    out << "\n    // Chain place d (symbol delay d) takes the product of that delay in this phase"
        << (registered ? ", registered" : "") << ".\n";
    for (int d = 0; d < s.depth; ++d) {
        out << "    " << Signed("reg", w) << " " << Name("join", d) << ";\n"
            << (registered ? "    always @(posedge clk)\n" : "    always @*\n")
            << "        case (" << phase << ")\n";
        for (int p = 0; p < s.ratio; ++p) {
            std::string from = Literal(0, w);
            const std::vector<PolyphaseTerm>& terms = s.phases[static_cast<std::size_t>(p)];
            for (std::size_t j = 0; j < terms.size(); ++j)
                if (terms[j].delayA == d) from = source(p, static_cast<int>(j));
            out << "            " << Unsigned(p, pb) << ": " << Name("join", d) << takes << from << ";\n";
        }
        out << "            default: " << Name("join", d) << takes << Literal(0, w) << ";\n"
            << "        endcase\n";
    }
    out << "\n    // Places 1 .. " << s.depth - 1 << ": r registers each, moving on while a symbol's phases run.\n";
    std::string declarations;
    std::string resets;
    std::string moves;
    for (int d = 1; d < s.depth; ++d) {
        for (int k = 0; k < s.ratio; ++k) {
            declarations += "    " + Signed("reg", w) + " " + Name("z", d, k) + ";\n";
            resets += "            " + Name("z", d, k) + " <= " + Literal(0, w) + ";\n";
        }
        const std::string next = d + 1 < s.depth ? " + " + Name("z", d + 1, s.ratio - 1) : std::string();
        moves += "            " + Name("z", d, 0) + " <= " + Name("join", d) + next + ";\n";
        for (int k = 1; k < s.ratio; ++k) moves += "            " + Name("z", d, k) + " <= " + Name("z", d, k - 1) + ";\n";
    }
    if (s.depth > 1)
        out << declarations << "    always @(posedge clk)\n"
            << "        if (rst) begin\n" << resets << "        end else if (" << active << ") begin\n" << moves
            << "        end\n";
    out << kDroppedBitsOff << "    " << Signed("wire", w) << " result = join_0"
        << (s.depth > 1 ? " + " + Name("z", 1, s.ratio - 1) : std::string()) << ";\n"
        << kDroppedBitsOn << "    " << Signed("reg", m.out.word) << " out_r;\n"
        << "    reg valid_r;\n"
        << "    always @(posedge clk) begin\n"
        << "        out_r <= " << MultToOutput(m, "result") << ";\n"
        << "        valid_r <= !rst && " << active << ";\n"
        << "    end\n"
        << "    assign out_valid = valid_r;\n"
        << "    assign out_data = out_r;\n";
}

void WriteHeldSymbol(std::ostream& out, const CoreModel& m) {
    out << "    // The symbol, held while its r outputs leave.\n"
        << "    " << Signed("reg", m.in.word) << " sym;\n"
        << "    always @(posedge clk)\n"
        << "        if (rst) sym <= " << Literal(0, m.in.word) << ";\n"
        << "        else if (take) sym <= x_in;\n\n";
}

std::int64_t Magnitude(std::int64_t v) { return v < 0 ? -v : v; }

// Bits the floor to qmult drops below the odd product of coefficient C.
int DroppedBelowOdd(const CoreModel& m, std::int64_t c) {
    int zeros = 0;
    for (std::int64_t v = Magnitude(c); v % 2 == 0; v /= 2) ++zeros;
    return m.in.fraction + m.coef.fraction - m.mult.fraction - zeros;
}

std::string Wire(const std::string& stem, std::int64_t value) { return stem + "_" + std::to_string(value); }

// The floored product of a term from the graph's odd products, P = floor(|c| x): floor(-P') =
// -P - nz for a negative coefficient, nz set when the bits the floor drops are not all zero; a
// negated term enters as the opposite.
std::string GraphTermSource(const CoreModel& m, const PolyphaseTerm& t) {
    const std::int64_t c = t.product.coefficient;
    const std::string product = Wire("prod", Magnitude(c));
    const bool borrow = c < 0 && DroppedBelowOdd(m, c) > 0;
    const std::string nz = Wire("nz", Magnitude(c));
    const std::string one = m.mult.word == 1 ? nz : "{{" + std::to_string(m.mult.word - 1) + "{1'b0}}, " + nz + "}";
    if ((c < 0) != t.negate) return "-" + product + (borrow ? " - " + one : std::string());
    return product + (borrow ? " + " + one : std::string());
}

}  // namespace

void WritePolyphaseParallelTransposed(std::ostream& out, const CoreModel& m, const PolyphaseSchedule& s) {
    WritePhaseCounter(out, s.ratio);
    WriteHeldSymbol(out, m);
    out << "    // Products of the symbol by the phase's coefficients.\n";
    const SlotOperands o{{"sym", m.in.word, m.in.fraction}, {}, {}};
    for (int j = 0; j < s.slots; ++j) WriteSlotProduct(out, m, s, j, o, "phase", Name("prod", j));
    WriteTransposedPhaseChain(out, m, s, "phase", "active", false, [](int, int j) { return Name("prod", j); });
}

void WritePolyphaseTransposedShiftAdd(std::ostream& out, const CoreModel& m, const PolyphaseSchedule& s,
                                      const std::string& name) {
    const int w = m.mult.word;
    const int pb = IndexBits(s.ratio);
    const int stages = TransposedGraph(m).Depth();
    WritePhaseCounter(out, s.ratio);
    WriteHeldSymbol(out, m);
    out << "    // The held symbol times each odd coefficient magnitude, from one adder graph: the products\n"
        << "    // leave it " << stages << (stages == 1 ? " clock" : " clocks")
        << " later, and the phase that picks them follows them.\n";
    WriteGraphInstance(out, m, name, "sym");
    // The phase that picks the graph's products, and the chain's enable a clock after it.
    std::string phase = "phase";
    if (stages > 0) {
        out << "    reg [" << pb - 1 << ":0] phase_pipe [1:" << stages << "];\n"
            << "    integer stage;\n"
            << "    always @(posedge clk) begin\n"
            << "        phase_pipe[1] <= phase;\n"
            << "        for (stage = 2; stage <= " << stages << "; stage = stage + 1) phase_pipe[stage] <= phase_pipe[stage - 1];\n"
            << "    end\n";
        phase = "phase_pipe[" + std::to_string(stages) + "]";
    }
    out << "    reg [" << stages + 1 << ":1] active_pipe;\n"
        << "    always @(posedge clk) active_pipe <= rst ? " << Unsigned(0, stages + 1) << " : "
        << (stages == 0 ? std::string("active") : "{active_pipe[" + std::to_string(stages) + ":1], active}") << ";\n";
    const std::string active = "active_pipe[" + std::to_string(stages + 1) + "]";
    std::map<std::int64_t, bool> magnitudes;  // each magnitude a term takes, and whether it needs nz
    for (const auto& terms : s.phases)
        for (const PolyphaseTerm& t : terms) {
            const std::int64_t c = t.product.coefficient;
            magnitudes[Magnitude(c)] = magnitudes[Magnitude(c)] || (c < 0 && DroppedBelowOdd(m, c) > 0);
        }
    out << "\n    // Each product magnitude floored and wrapped to qmult: wiring from its odd part.\n" << kDroppedBitsOff;
    for (const auto& [mag, needsBorrow] : magnitudes) {
        const std::int64_t oddPart = OddPart(mag);
        const int oddWidth = OddProductWidth(m.in.word, oddPart);
        const int dropped = DroppedBelowOdd(m, mag);
        out << "    " << Signed("wire", w) << " " << Wire("prod", mag) << " = "
            << Requantize(Wire("odd", oddPart), oddWidth, dropped, w) << ";\n";
        if (needsBorrow)
            out << "    wire " << Wire("nz", mag) << " = |" << Wire("odd", oddPart)
                << "[" << std::min(dropped, oddWidth) - 1 << ":0];\n";
    }
    out << kDroppedBitsOn;
    WriteTransposedPhaseChain(out, m, s, phase, active, true, [&](int p, int j) {
        return GraphTermSource(m, s.phases[static_cast<std::size_t>(p)][static_cast<std::size_t>(j)]);
    });
}

}  // namespace fir::vlog
