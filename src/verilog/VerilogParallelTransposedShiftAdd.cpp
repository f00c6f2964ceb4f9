// The fully parallel transposed form with shift-add products, pipelined for the clock: the
// registered sample goes through one adder graph (NAME_products) that delivers x times every odd
// coefficient magnitude, one registered stage per adder level; a product is then wiring (a shift,
// the floor and the wrap to qmult), and its sign is folded into the chain (see HeldSigns). The chain
// adders are split in two halves: the low half updates first and registers its carry (or borrow),
// the high half takes it one clock later, so no carry runs through more than half a word; a high
// half is only as wide as the partial sums of its place can reach (below that, qmult's wrap never
// acts). The graph and the delayed high halves of the products run free, as each call's data
// enters them on its own clock; the chain clears and steps on registered enables, which the
// flip-flops take without logic.
#include <map>
#include <set>

#include "verilog/VerilogStructures.h"
#include "verilog/VerilogText.h"

namespace fir::vlog {

namespace {

std::string Name(const std::string& stem, std::int64_t index) { return stem + "_" + std::to_string(index); }

std::int64_t Magnitude(std::int64_t v) { return v < 0 ? -v : v; }

int TrailingZeros(std::int64_t v) {
    int k = 0;
    for (v = Magnitude(v); v % 2 == 0; v /= 2) ++k;
    return k;
}

// The bits the floor to qmult drops below a product of shift K: the input and coefficient
// fractions beyond qmult's, less the coefficient's own power of two.
int DroppedBits(const CoreModel& m, std::int64_t c) {
    return m.in.fraction + m.coef.fraction - m.mult.fraction - TrailingZeros(c);
}

std::string Zeros(int width) { return std::to_string(width) + "'d0"; }

std::string OneBit(const std::string& bit, int width) {
    if (width == 1) return bit;
    return "{{" + std::to_string(width - 1) + "{1'b0}}, " + bit + "}";
}

// The chain's two halves: the low LOW bits and, above them, the high half of each place, as wide
// as the partial sums of that place can reach (at most qmult's word, which wraps).
struct Split {
    int low = 0;
    int word = 0;
};

// Closed interval of integers.
struct Range {
    std::int64_t least = 0;
    std::int64_t most = 0;
};

std::int64_t FloorShift(std::int64_t v, int shift) { return shift >= 0 ? v >> shift : v * (std::int64_t{1} << -shift); }

// The floored product of coefficient C over every input sample.
Range ProductRange(const CoreModel& m, std::int64_t c) {
    const std::int64_t least = -(std::int64_t{1} << (m.in.word - 1));
    const std::int64_t most = (std::int64_t{1} << (m.in.word - 1)) - 1;
    const int shift = m.in.fraction + m.coef.fraction - m.mult.fraction;
    const std::int64_t a = FloorShift(c * least, shift);
    const std::int64_t b = FloorShift(c * most, shift);
    return {std::min(a, b), std::max(a, b)};
}

int SignedBits(const Range& r) {
    int bits = 1;
    while (r.least < -(std::int64_t{1} << (bits - 1)) || r.most > (std::int64_t{1} << (bits - 1)) - 1) ++bits;
    return bits;
}

int HighWidth(int bits, const Split& s) { return std::max(1, std::min(bits, s.word) - s.low); }

// Declares the products the chain reads, each magnitude |c| once: prod_M (qmult), its high half
// one clock later (prodhi_M, as wide as the product needs), and for a negative coefficient whose
// floor drops bits, nz_M, set when they are not all zero: floor(-P) = -floor(P) - nz.
void WriteProductWires(std::ostream& out, const CoreModel& m, const std::vector<std::int64_t>& coefficients,
                       const Split& s) {
    std::set<std::int64_t> magnitudes;
    std::set<std::int64_t> floored;
    for (const std::int64_t c : coefficients) {
        magnitudes.insert(Magnitude(c));
        if (c < 0 && DroppedBits(m, c) > 0) floored.insert(-c);
    }
    const int w = m.mult.word;
    std::string delays;
    out << "    // Each product magnitude floored and wrapped to qmult: wiring from its odd part.\n" << kDroppedBitsOff;
    for (const std::int64_t mag : magnitudes) {
        const std::int64_t odd = OddPart(mag);
        const int oddWidth = OddProductWidth(m.in.word, odd);
        const int dropped = DroppedBits(m, mag);
        out << "    " << Signed("wire", w) << " " << Name("prod", mag) << " = "
            << Requantize(Name("odd", odd), oddWidth, dropped, w) << ";\n";
        if (floored.count(mag) != 0) {
            const int bits = std::min(dropped, oddWidth);
            out << "    wire " << Name("nz", mag) << " = |" << Name("odd", odd) << "[" << bits - 1 << ":0];\n";
        }
        const int high = HighWidth(SignedBits(ProductRange(m, mag)), s);
        out << "    " << Signed("reg", high) << " " << Name("prodhi", mag) << ";\n";
        delays += "        " + Name("prodhi", mag) + " <= " + Name("prod", mag) + "[" +
                  std::to_string(s.low + high - 1) + ":" + std::to_string(s.low) + "];\n";
    }
    out << kDroppedBitsOn << "    always @(posedge clk) begin\n" << delays << "    end\n\n";
}

struct ChainText {
    std::string declarations;
    std::string lowClears;
    std::string highClears;
    std::string low;
    std::string high;
    Range reach;  // of the place last added
    int highWidth = 1;
};

// The sign a place adds its product with: -1 when it subtracts it in effect.
int AddedSign(const ChainStep& step, std::int64_t c) { return (step.subtract != (c < 0)) ? -1 : 1; }

// How each place holds its partial sum S: as S (+1) or as ~S = -S - 1 (-1). A place holds it in
// the sign its successor adds with, so that every chain adder adds its product: S + P, and for a
// subtraction ~S + P = ~(S - P); the complement of a sum is free in the adder's own lookup table,
// that of an operand would not be (the carry logic takes the operands as they are). INDEX: place.
std::vector<int> HeldSigns(const CoreModel& m, const std::vector<ChainStep>& steps,
                           const std::vector<TapProduct>& products) {
    std::vector<int> held(static_cast<std::size_t>(m.delayLineLength) + 1, 1);
    for (const ChainStep& step : steps) {  // place L first
        if (step.place == 1) continue;
        const std::int64_t c = step.tap < 0 ? 0 : products[static_cast<std::size_t>(step.tap)].coefficient;
        const std::size_t before = static_cast<std::size_t>(step.place - 1);
        held[before] = c != 0 ? AddedSign(step, c) : held[before + 1];
    }
    return held;
}

std::string Ones(int width) { return Unsigned((std::int64_t{1} << width) - 1, width); }

void AddPlace(ChainText& t, const CoreModel& m, const ChainStep& step, std::int64_t c, const Split& s,
              const std::vector<int>& held) {
    const std::string lo = Name("lo", step.place);
    const std::string hi = Name("hi", step.place);
    const int sign = held[static_cast<std::size_t>(step.place)];
    // Place 1 adds to an empty sum, held as the product is added.
    const int signBefore = step.place > 1 ? held[static_cast<std::size_t>(step.place - 1)]
                                          : (c != 0 ? AddedSign(step, c) : sign);
    const int previousWidth = step.place > 1 ? t.highWidth : 1;
    if (c != 0) {
        const Range p = ProductRange(m, c);
        t.reach.least += step.subtract ? -p.most : p.least;
        t.reach.most += step.subtract ? -p.least : p.most;
    }
    const int width = HighWidth(SignedBits(t.reach), s);
    t.highWidth = width;
    const std::string loPrevious =
        step.place > 1 ? Name("lo", step.place - 1) : (signBefore > 0 ? Zeros(s.low) : Ones(s.low));
    const std::string hiPrevious = step.place > 1 ? SignExtend(Name("hi", step.place - 1), previousWidth, width)
                                                  : Literal(signBefore > 0 ? 0 : -1, width);
    t.declarations += "    reg [" + std::to_string(s.low - 1) + ":0] " + lo + ";\n    " + Signed("reg", width) + " " +
                      hi + ";\n";
    t.lowClears += "                " + lo + " <= " + (sign > 0 ? Zeros(s.low) : Ones(s.low)) + ";\n";
    t.highClears += "                " + hi + " <= " + Literal(sign > 0 ? 0 : -1, width) + ";\n";
    const std::string invert = sign != signBefore ? "~" : "";
    if (c == 0) {
        t.low += "                " + lo + " <= " + invert + loPrevious + ";\n";
        t.high += "                " + hi + " <= " + invert + hiPrevious + ";\n";
        return;
    }
    const std::int64_t mag = Magnitude(c);
    const std::string carry = Name("cy", step.place);
    const std::string sum = Name("sum", step.place);
    const int productHigh = HighWidth(SignedBits(ProductRange(m, mag)), s);
    t.declarations += "    reg " + carry + ";\n    wire [" + std::to_string(s.low) + ":0] " + sum + " = {1'b0, " +
                      loPrevious + "} + {1'b0, " + Name("prod", mag) + "[" + std::to_string(s.low - 1) + ":0]}" +
                      (c < 0 && DroppedBits(m, c) > 0 ? " + " + OneBit(Name("nz", mag), s.low + 1) : "") + ";\n";
    t.low += "                " + carry + " <= " + sum + "[" + std::to_string(s.low) + "];\n                " + lo +
             " <= " + invert + sum + "[" + std::to_string(s.low - 1) + ":0];\n";
    t.high += "                " + hi + " <= " + invert + "(" + hiPrevious + " + " +
              SignExtend(Name("prodhi", mag), productHigh, width) + " + " + OneBit(carry, width) + ");\n";
}

}  // namespace

void WriteParallelTransposedProductsModule(std::ostream& out, const CoreModel& m, const std::string& name) {
    WriteGraphProductsModule(out, ProductsModuleName(name), TransposedGraph(m), TransposedOddParts(m), m.in.word);
}

void WriteParallelTransposedShiftAdd(std::ostream& out, const CoreModel& m, const HardwareTiming& t,
                                     const std::string& name) {
    const int stages = t.latencyClocks - 2;  // the graph's; then the low and the high half
    const int length = m.delayLineLength;
    const std::vector<TapProduct> products = TapProducts(m);
    const Split s{m.mult.word / 2, m.mult.word};
    out << "    assign in_ready = !rst;\n\n"
        << "    // A call adds the products of the call before's sample (the core's registered input): at a\n"
        << "    // handshake x_reg takes that sample, and its products leave the adder graph " << stages
        << (stages == 1 ? " clock" : " clocks") << " later;\n"
        << "    // the chain's low half takes them on call_pipe[" << stages << "], its high half one clock later.\n"
        << "    " << Signed("reg", m.in.word) << " x_last;\n"
        << "    " << Signed("reg", m.in.word) << " x_reg;\n"
        << "    reg [" << stages + 1 << ":0] call_pipe;\n"
        << "    always @(posedge clk)\n"
        << "        if (rst) x_last <= " << Literal(0, m.in.word) << ";\n"
        << "        else if (take) x_last <= x_in;\n"
        << "    always @(posedge clk) x_reg <= x_last;  // x_last before the handshake\n"
        << "    always @(posedge clk)\n"
        << "        if (rst) call_pipe <= " << Unsigned(0, stages + 2) << ";\n"
        << "        else call_pipe <= {call_pipe[" << stages << ":0], take};\n\n";
    out << "    // The registered sample times each odd coefficient magnitude.\n";
    WriteGraphInstance(out, m, name, "x_reg");
    const std::vector<ChainStep> steps = TransposedChainSteps(m);
    std::vector<std::int64_t> used;
    for (const ChainStep& step : steps)
        if (step.tap >= 0 && products[static_cast<std::size_t>(step.tap)].coefficient != 0)
            used.push_back(products[static_cast<std::size_t>(step.tap)].coefficient);
    if (!used.empty()) WriteProductWires(out, m, used, s);
    ChainText chain;
    const std::vector<int> held = HeldSigns(m, steps, products);
    for (auto step = steps.rbegin(); step != steps.rend(); ++step)  // place 1 first: the sums' reach grows
        AddPlace(chain, m, *step, step->tap < 0 ? 0 : products[static_cast<std::size_t>(step->tap)].coefficient, s,
                 held);
    const std::string last = Name("lo", length);
    const int lastHigh = chain.highWidth;
    const std::string hiLast = Name("hi", length);
    const std::string extension = s.low + lastHigh < s.word
                                      ? "{" + std::to_string(s.word - s.low - lastHigh) + "{" + hiLast + "[" +
                                            std::to_string(lastHigh - 1) + "]}}, "
                                      : "";
    const std::string previous = stages > 0 ? "call_pipe[" + std::to_string(stages - 1) + "]" : "take";
    out << "    // Chain of partial sums (place 1 .. " << length << "): low halves of " << s.low
        << " bits, high halves as wide as their sums reach.\n"
        << chain.declarations << kDroppedBitsOff << "    reg [" << s.low - 1 << ":0] lo_last;  // place " << length
        << "'s low half before the call\n"
        << "    " << Signed("wire", s.word) << " chain_last = {" << extension << hiLast << ", lo_last};\n"
        << kDroppedBitsOn << "    " << Signed("reg", m.out.word) << " out_state;\n"
        << "    // Each half steps on a registered enable, a clock after the reset it clears on.\n"
        << "    reg clear_chain;\n"
        << "    reg step_low;\n"
        << "    reg step_high;\n"
        << "    always @(posedge clk) begin\n"
        << "        clear_chain <= rst;\n"
        << "        step_low <= rst || " << previous << ";\n"
        << "        step_high <= rst || call_pipe[" << stages << "];\n"
        << "    end\n"
        << "    always @(posedge clk)\n"
        << "        if (step_low) begin\n"
        << "            if (clear_chain) begin\n"
        << chain.lowClears << "            end else begin\n"
        << "                lo_last <= " << last << ";\n"
        << chain.low << "            end\n"
        << "        end\n"
        << "    always @(posedge clk)\n"
        << "        if (step_high) begin\n"
        << "            if (clear_chain) begin\n"
        << "                out_state <= " << Literal(0, m.out.word) << ";\n"
        << chain.highClears << "            end else begin\n"
        << "                out_state <= " << MultToOutput(m, "chain_last") << ";\n"
        << chain.high << "            end\n"
        << "        end\n\n"
        << "    // The output of a call is the one the core registered on the call before.\n"
        << "    assign out_valid = call_pipe[" << stages + 1 << "];\n"
        << "    assign out_data = out_state;\n";
}

}  // namespace fir::vlog
