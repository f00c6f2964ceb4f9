// The module frame every structure shares: the header comment (what the core is, its formats,
// throughput, latency and resources), the port list, the input section (handshake and
// zero-stuffing counter), then the structure's body.
#include "verilog/VerilogWriter.h"

#include "verilog/HardwareTiming.h"
#include "verilog/VerilogArchitectures.h"
#include "verilog/VerilogStructures.h"
#include "verilog/VerilogText.h"

namespace fir {

namespace {

using vlog::Literal;
using vlog::Unsigned;

const char* FoldingText(const CoreModel& m) {
    switch (m.folding) {
        case CoefSymmetry::Symmetric: return "folded: each mirror pair q[i] == q[N-1-i] shares one product";
        case CoefSymmetry::MagnitudeSymmetric: return "folded: each mirror pair q[i] == -q[N-1-i] shares one product";
        case CoefSymmetry::None: break;
    }
    return "unfolded: one product per tap";
}

std::string StructureText(const CoreModel& m, bool shiftAdd) {
    std::string text = m.Traits().name;
    text += m.multiplierFree ? ", multiplier-free (two shifted terms per coefficient)"
                             : (shiftAdd ? ", with shift-add products" : ", with multipliers");
    return text;
}

// The adders of a shift-add core's products module, against what its constants need at least.
std::string ProductsText(const CoreModel& m, const std::string& name) {
    const std::string module = vlog::ProductsModuleName(name);
    if (!m.IsTransposed())
        return "shift-add in " + module + ": " + std::to_string(vlog::DirectProductAdders(m)) +
               " adders, each product its constant's canonical signed digits less one";
    const vlog::AdderGraph graph = vlog::TransposedGraph(m);
    const std::vector<std::int64_t> odd = vlog::TransposedOddParts(m);
    return "shift-add in " + module + ": one adder graph of " + std::to_string(graph.Adders()) +
           " adders (at least " + std::to_string(vlog::AdderLowerBound({odd.begin(), odd.end()})) +
           " for these constants), " + std::to_string(graph.Depth()) + " registered stages";
}

std::string FormatText(const FixedFormat& f) {
    return "[" + std::to_string(f.word) + " " + std::to_string(f.fraction) + "]";
}

void WriteHeader(std::ostream& out, const CoreModel& m, const HardwareTiming& t, const std::string& name,
                 bool shiftAdd) {
    out << "// " << name << ": FIR core of " << m.taps << " taps, bit-identical to the MATLAB core " << name
        << ".m:\n"
        << "// each handshake (in_valid && in_ready at a rising clock edge) is one call of the core, and\n"
        << "// each call's output leaves on one out_valid cycle, in handshake order.\n"
        << "// Structure:  " << StructureText(m, shiftAdd) << ",\n"
        << "//             " << FoldingText(m) << "\n"
        << "// Channels:   " << m.channels << (m.channels > 1 ? ", interleaved sample by sample" : "") << "\n";
    if (m.zeroStuffing)
        out << "// Input:      zero-stuffing: a handshake's sample enters on every " << m.ratio
            << "th call, zeros on the others\n";
    out << "// Ports:      in_data  signed [" << m.in.word - 1 << ":0], value in_data * 2^-" << m.in.fraction
        << " (qin " << FormatText(m.in) << ")\n"
        << "//             out_data signed [" << m.out.word - 1 << ":0], value out_data * 2^-" << m.out.fraction
        << " (qout " << FormatText(m.out) << ")\n"
        << "// Arithmetic: products and partial sums qmult " << FormatText(m.mult) << ", coefficients qcoef "
        << FormatText(m.coef) << ", floor and wrap\n"
        << "// Throughput: K = " << t.clocksPerSample << (t.clocksPerSample == 1 ? " clock" : " clocks")
        << " per sample" << (m.Traits().pace == Pace::SamplePerClock ? " (in_ready high outside reset)" : " (in_ready low while busy)")
        << "\n"
        << "// Latency:    " << t.latencyClocks << (t.latencyClocks == 1 ? " clock" : " clocks")
        << " from a handshake's clock edge to the edge that samples its out_valid\n"
        << "//             (latency_clocks); the response to call n's input begins in the output of call\n"
        << "//             n + " << m.latencyCalls << " (latency_calls, as in the MATLAB core), which leaves "
        << t.latencyClocks << (t.latencyClocks == 1 ? " clock" : " clocks") << " after its handshake\n";
    if (t.clearClocks > 0)
        out << "// Reset:      synchronous; in_ready stays low " << t.clearClocks
            << " clocks after it while the memories clear\n";
    else
        out << "// Reset:      synchronous, active high\n";
    out << "// Resources:  " << t.multipliers << (t.multipliers == 1 ? " multiplier" : " multipliers") << ", "
        << m.counts.adders << " adders in the core's statements, " << m.counts.delayRegisters
        << " words of state\n";
    if (shiftAdd) out << "// Products:   " << ProductsText(m, name) << "\n";
}

void WritePorts(std::ostream& out, const CoreModel& m, const std::string& name) {
    out << "module " << name << " (\n"
        << "    input  wire clk,\n"
        << "    input  wire rst,\n"
        << "    input  wire in_valid,\n"
        << "    output wire in_ready,\n"
        << "    input  wire signed [" << m.in.word - 1 << ":0] in_data,\n"
        << "    output wire out_valid,\n"
        << "    output wire signed [" << m.out.word - 1 << ":0] out_data\n"
        << ");\n\n";
}

// The counter block of a zero-stuffing core: it counts calls, and every ratio-th call takes the
// handshake's sample.
void WriteInputSection(std::ostream& out, const CoreModel& m) {
    const int ib = m.in.word;
    out << "    wire take = in_valid && in_ready;  // one call of the core\n";
    if (!m.zeroStuffing) {
        out << "    " << vlog::Signed("wire", ib) << " x_in = in_data;\n\n";
        return;
    }
    const int bits = vlog::IndexBits(m.ratio);
    const std::string lastCall = Unsigned(m.ratio - 1, bits);
    out << "    // Zero-stuffing: the call counter wraps after " << m.ratio << " calls.\n"
        << "    reg [" << bits - 1 << ":0] stuff_count;\n"
        << "    " << vlog::Signed("wire", ib) << " x_in = (stuff_count == " << lastCall << ") ? in_data : "
        << Literal(0, ib) << ";\n"
        << "    always @(posedge clk)\n"
        << "        if (rst) stuff_count <= " << Unsigned(0, bits) << ";\n"
        << "        else if (take) stuff_count <= (stuff_count == " << lastCall << ") ? " << Unsigned(0, bits)
        << " : stuff_count + " << Unsigned(1, bits) << ";\n\n";
}

// Shift-add products take the fully parallel structures' own writers; every other core is
// written by its structure's row.
void WriteBody(std::ostream& out, const CoreModel& m, const HardwareTiming& t, const std::string& name,
               bool shiftAdd) {
    if (!shiftAdd) vlog::ArchitectureOf(m.structure).write(out, m, t);
    else if (m.IsTransposed()) vlog::WriteParallelTransposedShiftAdd(out, m, t, name);
    else vlog::WriteParallelDirectShiftAdd(out, m, t, name);
}

void WriteProductsModule(std::ostream& out, const CoreModel& m, const std::string& name) {
    if (m.IsTransposed()) vlog::WriteParallelTransposedProductsModule(out, m, name);
    else vlog::WriteParallelDirectProductsModule(out, m, name);
}

}  // namespace

void WriteVerilog(std::ostream& out, const CoreModel& model, const std::string& moduleName,
                  const HardwareChoices& choices) {
    const HardwareTiming timing = VerilogTiming(model, choices);
    const bool shiftAdd = choices.products == ProductStyle::ShiftAdd;
    WriteHeader(out, model, timing, moduleName, shiftAdd);
    WritePorts(out, model, moduleName);
    WriteInputSection(out, model);
    WriteBody(out, model, timing, moduleName, shiftAdd);
    out << "endmodule\n";
    if (shiftAdd) WriteProductsModule(out, model, moduleName);
}

}  // namespace fir
