// The module frame every structure shares: the header comment (what the core is, its formats,
// throughput, latency and resources), the AXI4-Stream frame when asked for, the port list, the
// input section (the handshake), then the structure's body.
#include "verilog/VerilogWriter.h"

#include "fir/OutputQuantizer.h"

#include "verilog/HardwareTiming.h"
#include "verilog/VerilogArchitectures.h"
#include "verilog/VerilogPolyphase.h"
#include "verilog/VerilogStructures.h"
#include "verilog/VerilogText.h"

namespace fir {

namespace {


const char* FoldingText(const CoreModel& m) {
    switch (m.folding) {
        case CoefSymmetry::Symmetric: return "folded: each mirror pair q[i] == q[N-1-i] shares one product";
        case CoefSymmetry::MagnitudeSymmetric: return "folded: each mirror pair q[i] == -q[N-1-i] shares one product";
        case CoefSymmetry::None: break;
    }
    return "unfolded: one product per tap";
}

std::string StructureText(const CoreModel& m, const HardwareTiming& t, bool shiftAdd) {
    std::string text = IsPolyphase(m) ? "polyphase interpolator, " : "";
    text += m.Traits().name;
    text += m.multiplierFree ? ", multiplier-free (two shifted terms per coefficient)"
                             : (shiftAdd ? ", with shift-add products" : ", with multipliers");
    if (t.lanes > 1)
        text += ", " + std::to_string(t.lanes) + " products side by side (a multiply-accumulate over the " +
                (IsPolyphase(m) ? "symbols" : "samples") + ")";
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

// What a handshake is: one call of the core, or one symbol and r outputs of a polyphase core.
void WriteContract(std::ostream& out, const CoreModel& m, const HardwareTiming& t,
                   bool axis) {
    const char* handshake = axis ? "(s_axis_tvalid && s_axis_tready" : "(in_valid && in_ready";
    const char* valid = axis ? "m_axis_tvalid && m_axis_tready" : "out_valid";
    if (!IsPolyphase(m)) {
        out << "// each handshake " << handshake << " at a rising clock edge) is one call of the core, and\n"
            << "// each call's output leaves on one " << valid << " cycle, in handshake order.\n";
        return;
    }
    out << "// each handshake " << handshake << " at a rising clock edge) is one symbol, the input of\n"
        << "// every " << m.ratio << "th call of the core; its " << t.outputsPerInput
        << " outputs, those of that call and the next " << m.ratio - 1 << ", leave in order on\n"
        << "// " << t.outputsPerInput << " " << valid << " cycles. The calls in between take zeros, so a symbol's tail leaves\n"
        << "// as later symbols enter: zero symbols flush it.\n";
}

void WriteHeader(std::ostream& out, const CoreModel& m, const HardwareTiming& t, const std::string& name,
                 bool axis, bool shiftAdd) {
    const int inBits = axis ? vlog::ByteWidth(m.in.word) : m.in.word;
    const int outBits = axis ? vlog::ByteWidth(m.out.word) : m.out.word;
    const char* inPort = axis ? "s_axis_tdata" : "in_data";
    const char* outPort = axis ? "m_axis_tdata" : "out_data";
    const bool polyphase = IsPolyphase(m);
    out << "// " << name << ": FIR core of " << m.taps << " taps, bit-identical to the MATLAB core " << name
        << ".m:\n";
    WriteContract(out, m, t, axis);
    out << "// Structure:  " << StructureText(m, t, shiftAdd) << ",\n"
        << "//             " << FoldingText(m) << "\n"
        << "// Channels:   " << m.channels << (m.channels > 1 ? ", interleaved sample by sample" : "") << "\n";
    if (polyphase)
        out << "// Polyphase:  r = " << m.ratio << " outputs per symbol, " << t.clocksPerSample
            << (t.clocksPerSample == 1 ? " clock" : " clocks") << " apart\n";
    out << "// Ports:      " << inPort << "  signed [" << inBits - 1 << ":0], value " << inPort << " * 2^-" << m.in.fraction
        << " (qin " << FormatText(m.in) << ")";
    if (axis && inBits > m.in.word) out << ", the low " << m.in.word << " bits (upper bits ignored)";
    out << "\n"
        << "//             " << outPort << " signed [" << outBits - 1 << ":0], value " << outPort << " * 2^-"
        << m.out.fraction << " (qout " << FormatText(m.out) << ")";
    if (axis && outBits > m.out.word) out << ", sign-extended from " << m.out.word << " bits";
    out << "\n";
    if (axis)
        out << "//             AXI4-Stream: aclk, aresetn (synchronous, active low); m_axis_tlast marks the last\n"
            << "//             output of each " << (polyphase ? "symbol" : m.channels > 1 ? "frame of channels" : "sample")
            << "; m_axis_tready low holds the outputs in a buffer of " << t.streamBuffer << " words\n";
    const std::string per = polyphase ? " per output" : " per sample";
    const std::string readyName = axis ? "s_axis_tready" : "in_ready";
    out << "// Arithmetic: products and partial sums qmult " << FormatText(m.mult) << ", coefficients qcoef "
        << FormatText(m.coef) << ", floor and wrap"
        << (m.OutputFloorsAndWraps() ? std::string()
                                     : std::string("; qout ") + RoundingName(m.outputRounding) + " and " +
                                           OverflowName(m.outputOverflow))
        << "\n"
        << "// Throughput: K = " << t.clocksPerSample << (t.clocksPerSample == 1 ? " clock" : " clocks") << per;
    if (polyphase)
        out << ", a symbol every " << t.clocksPerSample * m.ratio << " clocks (" << readyName << " low in between)\n";
    else
        out << (m.Traits().pace == Pace::SamplePerClock || t.clocksPerSample == 1
                    ? " (" + readyName + " high outside reset)"
                                                        : " (" + readyName + " low while busy)")
            << "\n";
    out << "// Latency:    " << t.latencyClocks << (t.latencyClocks == 1 ? " clock" : " clocks")
        << " from a handshake's clock edge to the edge that samples its " << (polyphase ? "first " : "")
        << (axis ? "m_axis_tvalid" : "out_valid") << (axis ? " (m_axis_tready high)" : "") << "\n";
    if (!polyphase)
        out << "//             (latency_clocks); the response to call n's input begins in the output of call\n"
            << "//             n + " << m.latencyCalls << " (latency_calls, as in the MATLAB core), which leaves "
            << t.latencyClocks << (t.latencyClocks == 1 ? " clock" : " clocks") << " after its handshake\n";
    if (t.clearClocks > 0)
        out << "// Reset:      synchronous; " << readyName << " stays low " << t.clearClocks
            << " clocks after it while the memories clear\n";
    else
        out << "// Reset:      synchronous, active " << (axis ? "low" : "high") << "\n";
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

// The handshake and its sample; a core fed at the symbol rate is a polyphase interpolator and
// needs no zero-stuffing counter.
void WriteInputSection(std::ostream& out, const CoreModel& m) {
    out << "    wire take = in_valid && in_ready;  // " << (IsPolyphase(m) ? "one symbol" : "one call of the core") << "\n"
        << "    " << vlog::Signed("wire", m.in.word) << " x_in = in_data;\n\n";
}

// Shift-add products take the fully parallel structures' own writers, several multipliers the
// lanes' multiply-accumulate; every other core is written by its structure's row.
void WriteBody(std::ostream& out, const CoreModel& m, const HardwareTiming& t, const std::string& name,
               bool shiftAdd) {
    if (t.lanes > 1) vlog::WriteSharedLanes(out, m, MakeProductSchedule(m), t);
    else if (!shiftAdd) vlog::ArchitectureOf(m).write(out, m, t);
    else if (IsPolyphase(m)) vlog::WritePolyphaseTransposedShiftAdd(out, m, MakePolyphaseSchedule(m), name);
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
    HardwareChoices plain = choices;
    plain.stream = StreamInterface::Plain;
    const HardwareTiming core = VerilogTiming(model, plain);
    const bool shiftAdd = choices.products == ProductStyle::ShiftAdd;
    std::string coreName = moduleName;
    if (choices.stream == StreamInterface::Axis) {
        // The frame first, so that the file's first header states the whole module's figures.
        const HardwareTiming timing = VerilogTiming(model, choices);
        coreName = moduleName + "_core";
        WriteHeader(out, model, timing, moduleName, true, shiftAdd);
        vlog::WriteAxisFrame(out, model, timing, moduleName, coreName);
        out << "\n/* verilator lint_off DECLFILENAME */\n";
    }
    WriteHeader(out, model, core, coreName, false, shiftAdd);
    WritePorts(out, model, coreName);
    WriteInputSection(out, model);
    vlog::WriteOutputQuantizer(out, model);
    WriteBody(out, model, core, coreName, shiftAdd);
    out << "endmodule\n";
    if (shiftAdd) WriteProductsModule(out, model, coreName);
}

}  // namespace fir
