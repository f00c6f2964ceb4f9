// The fully parallel transposed form in hardware: the core's registered input becomes a register
// of products (each product of the previous call's sample, as the core forms it from its input
// register), the chain of partial sums is a chain of registers with one adder per tap, and the
// registered output is the core's. The call happens one clock after its handshake, from the
// sample registered there; all products multiply that one sample, so taps whose coefficient
// magnitudes have the same odd part share one multiplier (the exact product is shifted, and
// negated for a negative coefficient, before its floor).
#include <map>
#include <vector>

#include "verilog/VerilogStructures.h"
#include "verilog/VerilogText.h"

namespace fir::vlog {

namespace {

std::string Name(const std::string& stem, int index) { return stem + "_" + std::to_string(index); }

// The distinct coefficients the chain adds, each with the register of its product.
struct ProductRegisters {
    std::map<std::int64_t, std::string> byCoefficient;
    std::vector<TapProduct> taps;  // the coefficient of each product tap
};

std::string OddName(std::int64_t odd) { return "odd_" + std::to_string(odd); }

int TrailingZeros(std::int64_t value) {
    int k = 0;
    while (value % 2 == 0) {
        value /= 2;
        ++k;
    }
    return k;
}

// A general product takes the exact product by its coefficient's odd part from the multiplier
// that part shares, shifts it and, for a negative coefficient, negates it.
std::string SharedOddProduct(const CoreModel& m, const Operand& x, std::int64_t c, std::map<std::int64_t, bool>& declared,
                             std::ostream& out) {
    const std::int64_t odd = OddPart(c);
    const int width = ProductWidth(m, x.width);
    const int shift = TrailingZeros(c);
    if (!declared[odd]) {
        declared[odd] = true;
        out << "    " << Signed("wire", width) << " " << OddName(odd) << " = " << SignExtend(x.name, x.width, width)
            << " * " << Literal(odd, width) << ";\n";
    }
    std::string product = OddName(odd);
    if (shift > 0) product = "(" + product + " <<< " + std::to_string(shift) + ")";
    return c < 0 ? "-" + product : product;
}

ProductRegisters WriteProducts(std::ostream& out, const CoreModel& m) {
    const std::vector<TapProduct> all = TapProducts(m);
    const int count = m.IsFolded() ? m.DistinctTapCount() : m.taps;
    const Operand x{"x_reg", m.in.word, m.in.fraction};
    const int width = ProductWidth(m, x.width);
    ProductRegisters registers;
    registers.taps.assign(all.begin(), all.begin() + count);
    std::map<std::int64_t, bool> oddParts;
    std::string statements;
    std::string declarations;
    out << "    // Products of the registered sample, one per distinct coefficient, floored and wrapped to qmult.\n"
        << kDroppedBitsOff;
    for (int k = 0; k < count; ++k) {
        const TapProduct& p = all[static_cast<std::size_t>(k)];
        if (p.coefficient == 0 || registers.byCoefficient.count(p.coefficient) != 0) continue;
        const std::string reg = Name("prod", k + 1);
        const std::string exact = Name("exact", k + 1);
        registers.byCoefficient[p.coefficient] = reg;
        const bool shared = !m.multiplierFree && !IsPowerOfTwoMagnitude(p.coefficient);
        const std::string product =
            shared ? SharedOddProduct(m, x, p.coefficient, oddParts, out) : ConstantProduct(m, x, p);
        out << "    " << Signed("wire", width) << " " << exact << " = " << product << ";  // tap " << k << "\n";
        declarations += "    " + Signed("reg", m.mult.word) + " " + reg + ";\n";
        statements += "            " + reg + " <= " + ProductToMult(m, x, exact, width) + ";\n";
    }
    out << kDroppedBitsOn << declarations;
    out << "    // The products of the previous call's sample (the core's registered input).\n"
        << "    always @(posedge clk)\n"
        << "        if (rst) begin\n";
    for (const auto& [coefficient, reg] : registers.byCoefficient)
        out << "            " << reg << " <= " << Literal(0, m.mult.word) << ";\n";
    out << "        end else if (call) begin\n" << statements << "        end\n\n";
    return registers;
}

// "place + product", "place - product" or "place" for the product of tap K (0-based).
std::string PlusProduct(const ProductRegisters& r, std::size_t k, bool subtract, const std::string& place) {
    const std::int64_t c = r.taps[k].coefficient;
    if (c == 0) return place;
    const std::string& reg = r.byCoefficient.at(c);
    if (place.empty()) return subtract ? "-" + reg : reg;
    return place + (subtract ? " - " : " + ") + reg;
}

std::vector<std::string> ChainStatements(const CoreModel& m, const ProductRegisters& r) {
    std::vector<std::string> statements;
    for (const ChainStep& step : TransposedChainSteps(m)) {
        const std::string previous = step.place > 1 ? Name("chain", step.place - 1) : "";
        std::string value = step.tap < 0 ? previous
                                         : PlusProduct(r, static_cast<std::size_t>(step.tap), step.subtract, previous);
        if (value.empty()) value = Literal(0, m.mult.word);
        statements.push_back(Name("chain", step.place) + " <= " + value + ";");
    }
    return statements;
}

}  // namespace

// The chain update of one call, place L first, as the core writes it: every place takes the one
// before it, every ch-th place from the far end also a product, in tap order 1, 2, ... (unfolded)
// or 1 .. M and back down M-1 .. 2 (folded, the mirrored half subtracted when q[i] == -q[N-1-i]).
std::vector<ChainStep> TransposedChainSteps(const CoreModel& m) {
    const int length = m.delayLineLength;
    const bool folded = m.IsFolded();
    const bool subtractMirror = m.folding == CoefSymmetry::MagnitudeSymmetric;
    const int middle = folded ? m.DistinctTapCount() : m.taps;
    std::vector<ChainStep> steps;
    int k = 1;
    bool turned = false;
    for (int t = 0; t + 2 <= length; ++t) {
        ChainStep step{length - t, -1, false};
        if (t % m.channels == 0) {
            step.tap = k - 1;
            step.subtract = turned && subtractMirror;
            if (folded && !turned && k == middle) {
                turned = true;
                k = middle - 1;
            } else {
                k = turned ? k - 1 : k + 1;
            }
        }
        steps.push_back(step);
    }
    steps.push_back({1, folded ? 0 : k - 1, folded && subtractMirror});
    return steps;
}

void WriteParallelTransposed(std::ostream& out, const CoreModel& m) {
    const int length = m.delayLineLength;
    const int w = m.mult.word;
    out << "    assign in_ready = !rst;\n\n"
        << "    // The call takes place one clock after its handshake, on the sample registered there.\n"
        << "    " << Signed("reg", m.in.word) << " x_reg;\n"
        << "    reg call;\n"
        << "    always @(posedge clk) x_reg <= x_in;\n"
        << "    always @(posedge clk)\n"
        << "        if (rst) call <= 1'b0;\n"
        << "        else call <= take;\n\n";
    const ProductRegisters products = WriteProducts(out, m);
    out << "    // Chain of partial sums (place 1 .. " << length << ") and the registered output.\n";
    for (int p = 1; p < length; ++p) out << "    " << Signed("reg", w) << " " << Name("chain", p) << ";\n";
    out << kDroppedBitsOff << "    " << Signed("reg", w) << " " << Name("chain", length) << ";\n" << kDroppedBitsOn
        << "    " << Signed("reg", m.out.word) << " out_state;\n"
        << "    always @(posedge clk)\n"
        << "        if (rst) begin\n";
    for (int p = 1; p <= length; ++p) out << "            " << Name("chain", p) << " <= " << Literal(0, w) << ";\n";
    out << "            out_state <= " << Literal(0, m.out.word) << ";\n"
        << "        end else if (call) begin\n"
        << "            out_state <= " << MultToOutput(m, Name("chain", length)) << ";\n";
    for (const std::string& statement : ChainStatements(m, products)) out << "            " << statement << "\n";
    out << "        end\n\n"
        << "    // The output of a call is the one the core registered on the call before.\n"
        << "    assign out_valid = call;\n"
        << "    assign out_data = out_state;\n";
}

}  // namespace fir::vlog
