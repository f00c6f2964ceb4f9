// Products by constants from shifts, adds and subtracts, written as a module of their own beside
// the core (NAME_products) so that each product can be proven equal to a plain multiplication
// on its own. Each output carries a comment line
//   // product P = X * C after D clocks
// that names the port, its operand, the constant and the pipeline stages in between.
#include <algorithm>
#include <map>

#include "verilog/AdderGraph.h"
#include "verilog/VerilogStructures.h"
#include "verilog/VerilogText.h"

namespace fir::vlog {

namespace {

int BitLength(std::int64_t v) {
    int bits = 0;
    for (; v > 0; v >>= 1) ++bits;
    return bits;
}

int NodeWidth(int width, std::int64_t v) { return OddProductWidth(width, v); }

std::string Stage(std::int64_t value, int stage) {
    return "g" + std::to_string(value) + "_s" + std::to_string(stage);
}

// The stage up to which each node's value is kept: its last reader's stage minus one, and the
// graph's depth for a target.
std::vector<int> LastStages(const AdderGraph& g, const std::vector<std::int64_t>& targets) {
    std::vector<int> last(g.nodes.size(), 0);
    for (std::size_t i = 0; i < g.nodes.size(); ++i) {
        last[i] = g.nodes[i].depth;
        if (i == 0) continue;
        const GraphNode& n = g.nodes[i];
        last[static_cast<std::size_t>(n.left)] = std::max(last[static_cast<std::size_t>(n.left)], n.depth - 1);
        last[static_cast<std::size_t>(n.right)] = std::max(last[static_cast<std::size_t>(n.right)], n.depth - 1);
    }
    for (const std::int64_t t : targets) last[static_cast<std::size_t>(g.NodeOf(t))] = g.Depth();
    return last;
}

std::string SignedSum(const std::vector<std::pair<int, std::string>>& terms) {
    std::string text;
    for (const auto& [sign, term] : terms) {
        if (text.empty()) text = sign < 0 ? "-" + term : term;
        else text += (sign < 0 ? " - " : " + ") + term;
    }
    return text;
}

}  // namespace

int OddProductWidth(int width, std::int64_t odd) { return width + BitLength(odd - 1); }

std::string ProductsModuleName(const std::string& core) { return core + "_products"; }

std::vector<std::int64_t> TransposedOddParts(const CoreModel& m) {
    const std::vector<TapProduct> all = TapProducts(m);
    const int count = m.IsFolded() ? m.DistinctTapCount() : m.taps;
    std::vector<std::int64_t> odd;
    for (int k = 0; k < count; ++k)
        if (all[static_cast<std::size_t>(k)].coefficient != 0) odd.push_back(OddPart(all[static_cast<std::size_t>(k)].coefficient));
    std::sort(odd.begin(), odd.end());
    odd.erase(std::unique(odd.begin(), odd.end()), odd.end());
    return odd;
}

AdderGraph TransposedGraph(const CoreModel& m) {
    // The timing, the core and its products module each ask for the graph of one core, and its
    // search is most of the time a shift-add core takes to write: the last graph is kept (the
    // search is deterministic, so this changes nothing but the time).
    thread_local std::vector<std::int64_t> lastOddParts;
    thread_local AdderGraph lastGraph;
    const std::vector<std::int64_t> odd = TransposedOddParts(m);
    if (lastGraph.nodes.empty() || odd != lastOddParts) {
        lastGraph = BuildAdderGraph(odd);
        lastOddParts = odd;
    }
    return lastGraph;
}

void WriteGraphInstance(std::ostream& out, const CoreModel& m, const std::string& name, const std::string& x) {
    const std::vector<std::int64_t> odd = TransposedOddParts(m);
    auto wire = [](std::int64_t v) { return "odd_" + std::to_string(v); };
    out << kDroppedBitsOff;
    for (const std::int64_t v : odd) out << "    " << Signed("wire", OddProductWidth(m.in.word, v)) << " " << wire(v) << ";\n";
    out << kDroppedBitsOn;
    out << "    " << ProductsModuleName(name) << " products (.clk(clk), .x(" << x << ")";
    for (const std::int64_t v : odd) out << ", .p_" << v << "(" << wire(v) << ")";
    out << ");\n\n";
}

void WriteGraphProductsModule(std::ostream& out, const std::string& name, const AdderGraph& g,
                              const std::vector<std::int64_t>& targets, int width) {
    const int depth = g.Depth();
    const std::vector<int> last = LastStages(g, targets);
    out << "\n// x times each odd constant below from one adder graph of " << g.Adders()
        << " adders, one registered stage per adder level.\n";
    for (const std::int64_t t : targets)
        out << "// product p_" << t << " = x * " << t << " after " << depth << " clocks\n";
    out << "/* verilator lint_off DECLFILENAME */\n"
        << "module " << name << " (\n"
        << (depth == 0 ? "    /* verilator lint_off UNUSEDSIGNAL */\n" : "") << "    input  wire clk,\n"
        << (depth == 0 ? "    /* verilator lint_on UNUSEDSIGNAL */\n" : "")
        << "    input  wire signed [" << width - 1 << ":0] x";
    for (const std::int64_t t : targets)
        out << ",\n    output wire signed [" << NodeWidth(width, t) - 1 << ":0] p_" << t;
    out << "\n);\n"
        << "    " << Signed("wire", width) << " " << Stage(1, 0) << " = x;\n";
    for (int stage = 1; stage <= depth; ++stage) {
        std::string statements;
        for (std::size_t i = 0; i < g.nodes.size(); ++i) {
            const GraphNode& n = g.nodes[i];
            if (n.depth > stage || last[i] < stage) continue;
            const int w = NodeWidth(width, n.value);
            const std::string reg = Stage(n.value, stage);
            out << "    " << Signed("reg", w) << " " << reg << ";\n";
            if (n.depth < stage) {
                statements += "        " + reg + " <= " + Stage(n.value, stage - 1) + ";\n";
                continue;
            }
            const GraphNode& a = g.nodes[static_cast<std::size_t>(n.left)];
            const GraphNode& b = g.nodes[static_cast<std::size_t>(n.right)];
            const std::int64_t reach = (a.value << n.leftShift) + (b.value << n.rightShift);
            const int sumWidth = NodeWidth(width, reach) + 1;
            const std::string sum = "g" + std::to_string(n.value) + "_sum";
            out << kDroppedBitsOff << "    " << Signed("wire", sumWidth) << " " << sum << " = "
                << ShiftedUp(Stage(a.value, stage - 1), NodeWidth(width, a.value), n.leftShift, sumWidth)
                << (n.subtract ? " - " : " + ")
                << ShiftedUp(Stage(b.value, stage - 1), NodeWidth(width, b.value), n.rightShift, sumWidth) << ";\n"
                << kDroppedBitsOn;
            statements += "        " + reg + " <= " + Requantize(sum, sumWidth, n.downShift, w) + ";\n";
        }
        out << "    always @(posedge clk) begin\n" << statements << "    end\n";
    }
    for (const std::int64_t t : targets) out << "    assign p_" << t << " = " << Stage(t, depth) << ";\n";
    // The products module ends the file, so its file-name waiver needs no end.
    out << "endmodule\n";
}

void WriteDigitProductsModule(std::ostream& out, const std::string& name, const std::vector<DigitProduct>& products) {
    int adders = 0;
    for (const DigitProduct& p : products) adders += DigitProductAdders(p.coefficient);
    out << "\n// Each operand times its constant from the constant's canonical signed digits, " << adders
        << " adders in all.\n";
    for (std::size_t k = 0; k < products.size(); ++k)
        out << "// product p_" << k + 1 << " = x_" << k + 1 << " * " << products[k].coefficient << " after 0 clocks\n";
    out << "/* verilator lint_off DECLFILENAME */\n"
        << "module " << name << " (\n";
    for (std::size_t k = 0; k < products.size(); ++k)
        out << "    input  wire signed [" << products[k].operandWidth - 1 << ":0] x_" << k + 1 << ",\n";
    for (std::size_t k = 0; k < products.size(); ++k)
        out << "    output wire signed [" << products[k].productWidth - 1 << ":0] p_" << k + 1
            << (k + 1 < products.size() ? ",\n" : "\n");
    out << ");\n";
    for (std::size_t k = 0; k < products.size(); ++k) {
        const DigitProduct& p = products[k];
        const std::string x = "x_" + std::to_string(k + 1);
        std::vector<std::pair<int, std::string>> terms;
        std::vector<SignedDigit> digits = CsdDigits(p.coefficient);
        // A positive digit first, so that the sum starts without a negation when it can.
        std::stable_partition(digits.begin(), digits.end(), [](const SignedDigit& d) { return d.sign > 0; });
        for (const SignedDigit& d : digits)
            terms.emplace_back(d.sign, ShiftedUp(x, p.operandWidth, d.shift, p.productWidth));
        out << "    assign p_" << k + 1 << " = "
            << (terms.empty() ? Literal(0, p.productWidth) : SignedSum(terms)) << ";\n";
    }
    // The products module ends the file, so its file-name waiver needs no end.
    out << "endmodule\n";
}

int DigitProductAdders(std::int64_t coefficient) {
    const std::vector<SignedDigit> digits = CsdDigits(coefficient);
    const bool anyPositive = std::any_of(digits.begin(), digits.end(), [](const SignedDigit& d) { return d.sign > 0; });
    // A sum whose every digit is negative starts with a negation.
    return digits.empty() ? 0 : static_cast<int>(digits.size()) - 1 + (anyPositive ? 0 : 1);
}

}  // namespace fir::vlog
