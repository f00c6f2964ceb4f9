// The fully parallel direct form in hardware: the delay line in registers; at each handshake the
// line as the call finds it goes down a pipeline of [pre-adders,] products and a registered
// pairwise adder tree, one stage per clock, while the sample enters the line. Partial sums wrap to
// qmult in any order, as the core's do, so the tree may pair them freely; every floor stays where
// the core has it (each product, and the output).
#include <algorithm>
#include <sstream>
#include <vector>

#include "verilog/VerilogStructures.h"
#include "verilog/VerilogText.h"

namespace fir::vlog {

namespace {

std::string Name(const char* stem, int index) { return std::string(stem) + "_" + std::to_string(index); }

// One term of the sum: the register its product reads and the coefficient it multiplies by.
struct Term {
    Operand operand;
    TapProduct product;
    std::string comment;
};

// The places a product reads: beyond the last of them (taps of zero at the line's end) the
// core's places hold samples that never reach an output, and the hardware drops them.
int LastPlaceRead(const CoreModel& m) {
    const std::vector<TapProduct> products = TapProducts(m);
    int last = 1;
    for (int i = 0; i < m.taps; ++i) {
        const bool read = m.IsFolded() ? products[static_cast<std::size_t>(std::min(i, m.taps - 1 - i))].coefficient != 0
                                       : products[static_cast<std::size_t>(i)].coefficient != 0;
        if (read) last = std::max(last, m.channels * i + 1);
    }
    if (m.IsFolded() && MiddleProduct(m).coefficient != 0) last = std::max(last, m.channels * m.PairCount() + 1);
    return last;
}

void WriteDelayLine(std::ostream& out, const CoreModel& m) {
    const int length = LastPlaceRead(m);
    out << "    assign in_ready = !rst;\n\n"
        << "    // Delay line: place 1 takes the call's sample and every place moves on by one";
    if (length < m.delayLineLength) out << " (places " << length + 1 << " .. " << m.delayLineLength << " meet only zero taps)";
    out << ".\n";
    for (int p = 1; p <= length; ++p) out << "    " << Signed("reg", m.in.word) << " " << Name("line", p) << ";\n";
    out << "    always @(posedge clk)\n"
        << "        if (rst) begin\n";
    for (int p = 1; p <= length; ++p) out << "            " << Name("line", p) << " <= " << Literal(0, m.in.word) << ";\n";
    out << "        end else if (take) begin\n"
        << "            line_1 <= x_in;\n";
    for (int p = 2; p <= length; ++p) out << "            " << Name("line", p) << " <= " << Name("line", p - 1) << ";\n";
    out << "        end\n\n";
}

std::vector<Term> UnfoldedTerms(const CoreModel& m) {
    const std::vector<TapProduct> products = TapProducts(m);
    std::vector<Term> terms;
    for (int i = 0; i < m.taps; ++i) {
        const TapProduct& p = products[static_cast<std::size_t>(i)];
        if (p.coefficient == 0) continue;
        terms.push_back({{Name("line", m.channels * i + 1), m.in.word, m.in.fraction}, p,
                         "tap " + std::to_string(i)});
    }
    return terms;
}

// Stage 1 of a folded core: each mirror pair's samples joined (and, multiplier-free, floored to
// qmult as the core does before its shifted terms), the middle sample passed on.
std::vector<Term> WritePreAdders(std::ostream& out, const CoreModel& m) {
    const std::vector<TapProduct> products = TapProducts(m);
    const int ib = m.in.word;
    const int length = m.delayLineLength;
    const bool quantized = PairSumQuantized(m);
    const char* joint = m.folding == CoefSymmetry::MagnitudeSymmetric ? " - " : " + ";
    std::vector<Term> terms;
    std::string registers;
    std::string statements;
    std::string sums;
    for (int i = 0; i < m.PairCount(); ++i) {
        const TapProduct& p = products[static_cast<std::size_t>(i)];
        if (p.coefficient == 0) continue;
        const std::string a = Name("line", m.channels * i + 1);
        const std::string b = Name("line", length - m.channels * i);
        const std::string pair = Name("pair", i);
        const std::string sum = SignExtend(a, ib, ib + 1) + joint + SignExtend(b, ib, ib + 1);
        if (quantized) {
            sums += "    " + Signed("wire", ib + 1) + " " + Name("pair_sum", i) + " = " + sum + ";\n";
            registers += "    " + Signed("reg", m.mult.word) + " " + pair + ";\n";
            statements += "        " + pair + " <= " +
                          Requantize(Name("pair_sum", i), ib + 1, m.in.fraction - m.mult.fraction, m.mult.word) + ";\n";
            terms.push_back({{pair, m.mult.word, m.mult.fraction}, p, "taps " + std::to_string(i) + ", mirror"});
        } else {
            registers += "    " + Signed("reg", ib + 1) + " " + pair + ";\n";
            statements += "        " + pair + " <= " + sum + ";\n";
            terms.push_back({{pair, ib + 1, m.in.fraction}, p, "taps " + std::to_string(i) + ", mirror"});
        }
    }
    const TapProduct middle = MiddleProduct(m);
    if (middle.coefficient != 0) {
        registers += "    " + Signed("reg", ib) + " pair_middle;\n";
        statements += "        pair_middle <= " + Name("line", m.channels * m.PairCount() + 1) + ";\n";
        terms.push_back({{"pair_middle", ib, m.in.fraction}, middle, "middle tap " + std::to_string(m.PairCount())});
    }
    out << "    // Stage 1: pre-adders, mirror pair samples joined before their one product.\n";
    if (!sums.empty()) out << kDroppedBitsOff << sums << kDroppedBitsOn;
    out << registers << "    always @(posedge clk) begin\n" << statements << "    end\n\n";
    return terms;
}

// The product stage: each term's exact product, floored and wrapped to qmult into a register.
// With a products module (MODULE not empty) the exact products are its outputs.
std::vector<std::string> WriteProducts(std::ostream& out, const CoreModel& m, const std::vector<Term>& terms,
                                       int stage, const std::string& module) {
    const int w = m.mult.word;
    out << "    // Stage " << stage << ": products, floored and wrapped to qmult.\n";
    if (terms.empty()) {
        out << "    " << Signed("reg", w) << " prod_1;  // every tap is zero\n"
            << "    always @(posedge clk) prod_1 <= " << Literal(0, w) << ";\n\n";
        return {"prod_1"};
    }
    std::vector<std::string> products;
    std::string statements;
    out << kDroppedBitsOff;
    for (std::size_t k = 0; k < terms.size(); ++k) {
        const Term& t = terms[k];
        const int index = static_cast<int>(k) + 1;
        const int width = ProductWidth(m, t.operand.width);
        if (module.empty())
            out << "    " << Signed("wire", width) << " " << Name("exact", index) << " = "
                << ConstantProduct(m, t.operand, t.product) << ";  // " << t.comment << "\n";
        else
            out << "    " << Signed("wire", width) << " " << Name("exact", index) << ";  // " << t.comment << "\n";
        products.push_back(Name("prod", index));
        statements += "        " + products.back() + " <= " + ProductToMult(m, t.operand, Name("exact", index), width) + ";\n";
    }
    out << kDroppedBitsOn;
    if (!module.empty()) {
        out << "    " << module << " products (";
        for (std::size_t k = 0; k < terms.size(); ++k)
            out << (k > 0 ? ", " : "") << ".x_" << k + 1 << "(" << terms[k].operand.name << ")";
        for (std::size_t k = 0; k < terms.size(); ++k) out << ", .p_" << k + 1 << "(" << Name("exact", static_cast<int>(k) + 1) << ")";
        out << ");\n";
    }
    for (const std::string& product : products) out << "    " << Signed("reg", w) << " " << product << ";\n";
    out << "    always @(posedge clk) begin\n" << statements << "    end\n\n";
    return products;
}

void WriteValidPipe(std::ostream& out, int stages) {
    out << "    // One valid bit per stage: out_valid marks the call that reaches the end.\n";
    if (stages == 1) {
        out << "    reg valid_pipe;\n"
            << "    always @(posedge clk)\n"
            << "        if (rst) valid_pipe <= 1'b0;\n"
            << "        else valid_pipe <= take;\n"
            << "    assign out_valid = valid_pipe;\n";
        return;
    }
    out << "    reg [" << stages - 1 << ":0] valid_pipe;\n"
        << "    always @(posedge clk)\n"
        << "        if (rst) valid_pipe <= " << Unsigned(0, stages) << ";\n"
        << "        else valid_pipe <= {valid_pipe[" << stages - 2 << ":0], take};\n"
        << "    assign out_valid = valid_pipe[" << stages - 1 << "];\n";
}

}  // namespace

namespace {

void WriteDirect(std::ostream& out, const CoreModel& m, const HardwareTiming& t, const std::string& module) {
    WriteDelayLine(out, m);
    int stage = 1;
    std::vector<Term> terms;
    if (m.IsFolded()) {
        terms = WritePreAdders(out, m);
        ++stage;
    } else {
        terms = UnfoldedTerms(m);
    }
    const std::vector<std::string> products = WriteProducts(out, m, terms, stage, module);
    const std::string sum = WriteAdderTree(out, m, products, stage + 1);
    WriteValidPipe(out, t.latencyClocks);
    out << kDroppedBitsOff << "    " << Signed("wire", m.mult.word) << " result = " << sum << ";\n"
        << kDroppedBitsOn << "    assign out_data = " << MultToOutput(m, "result") << ";\n";
}

}  // namespace

void WriteParallelDirect(std::ostream& out, const CoreModel& m, const HardwareTiming& t) { WriteDirect(out, m, t, ""); }

void WriteParallelDirectShiftAdd(std::ostream& out, const CoreModel& m, const HardwareTiming& t,
                                 const std::string& name) {
    WriteDirect(out, m, t, ProductsModuleName(name));
}

namespace {

std::vector<Term> DirectTerms(const CoreModel& m) {
    std::ostringstream preAdders;  // only their terms are wanted here
    return m.IsFolded() ? WritePreAdders(preAdders, m) : UnfoldedTerms(m);
}

}  // namespace

int DirectProductAdders(const CoreModel& m) {
    int adders = 0;
    for (const Term& t : DirectTerms(m)) adders += DigitProductAdders(t.product.coefficient);
    return adders;
}

void WriteParallelDirectProductsModule(std::ostream& out, const CoreModel& m, const std::string& name) {
    const std::vector<Term> terms = DirectTerms(m);
    std::vector<DigitProduct> products;
    for (const Term& t : terms)
        products.push_back({t.operand.width, t.product.coefficient, ProductWidth(m, t.operand.width)});
    WriteDigitProductsModule(out, ProductsModuleName(name), products);
}

}  // namespace fir::vlog
