// The AXI4-Stream frame: the plain core inside, an output buffer after it. A handshake is let in
// only while the buffer has room for every output already promised and the r (or 1) outputs of
// this one, so the core never stalls and nothing is lost or repeated however long m_axis_tready
// stays low; the buffer is deep enough that a consumer always ready never slows the core down.
#include "verilog/VerilogPolyphase.h"
#include "verilog/VerilogText.h"

namespace fir::vlog {

int ByteWidth(int width) { return (width + 7) / 8 * 8; }

void WriteAxisFrame(std::ostream& out, const CoreModel& m, const HardwareTiming& t, const std::string& name,
                    const std::string& core) {
    const int iw = ByteWidth(m.in.word);
    const int ow = ByteWidth(m.out.word);
    const int depth = t.streamBuffer;
    const int ab = IndexBits(depth);  // depth is a power of two: ab address bits
    const int cb = ab + 1;            // counts 0 .. depth
    const int outputs = t.outputsPerInput;
    const int frame = outputs > 1 ? outputs : m.channels;
    out << "module " << name << " (\n"
        << "    input  wire aclk,\n"
        << "    input  wire aresetn,\n"
        << "    input  wire s_axis_tvalid,\n"
        << "    output wire s_axis_tready,\n"
        << "    input  wire [" << iw - 1 << ":0] s_axis_tdata,\n"
        << "    output wire m_axis_tvalid,\n"
        << "    input  wire m_axis_tready,\n"
        << "    output wire [" << ow - 1 << ":0] m_axis_tdata,\n"
        << "    output wire m_axis_tlast\n"
        << ");\n\n"
        << "    wire rst = !aresetn;\n"
        << "    wire core_ready, core_valid;\n"
        << "    " << Signed("wire", m.out.word) << " core_data;\n"
        << "    // Outputs promised to the buffer: those it holds and those still in the core.\n"
        << "    reg [" << cb - 1 << ":0] promised;\n"
        << "    wire room = promised <= " << Unsigned(depth - outputs, cb) << ";\n"
        << "    assign s_axis_tready = core_ready && room;\n"
        << "    wire take = s_axis_tvalid && s_axis_tready;\n";
    if (iw > m.in.word) out << "    /* verilator lint_off UNUSEDSIGNAL */\n";
    out << "    wire [" << iw - 1 << ":0] in_word = s_axis_tdata;  // the sample is the low " << m.in.word << " bits\n";
    if (iw > m.in.word) out << "    /* verilator lint_on UNUSEDSIGNAL */\n";
    out << "    " << core << " core (.clk(aclk), .rst(rst), .in_valid(s_axis_tvalid && room), .in_ready(core_ready),\n"
        << "        .in_data(in_word[" << m.in.word - 1 << ":0]), .out_valid(core_valid), .out_data(core_data));\n\n"
        << "    // Output buffer: " << depth << " words.\n"
        << "    " << Signed("reg", m.out.word) << " buffer [0:" << depth - 1 << "];\n"
        << "    reg [" << cb - 1 << ":0] write_count, read_count;\n"
        << "    assign m_axis_tvalid = write_count != read_count;\n"
        << "    wire pop = m_axis_tvalid && m_axis_tready;\n"
        << "    always @(posedge aclk)\n"
        << "        if (core_valid) buffer[write_count[" << ab - 1 << ":0]] <= core_data;\n"
        << "    " << Signed("wire", m.out.word) << " head = buffer[read_count[" << ab - 1 << ":0]];\n"
        << "    assign m_axis_tdata = " << (ow > m.out.word ? SignExtend("head", m.out.word, ow) : std::string("head"))
        << ";\n";
    const int fb = IndexBits(frame);
    if (frame > 1)
        out << "    // The last output of each " << (outputs > 1 ? "symbol" : "frame of channels") << ".\n"
            << "    reg [" << fb - 1 << ":0] position;\n"
            << "    assign m_axis_tlast = position == " << Unsigned(frame - 1, fb) << ";\n";
    else
        out << "    assign m_axis_tlast = 1'b1;  // one channel: every output ends its frame\n";
    out << "    always @(posedge aclk)\n"
        << "        if (rst) begin\n"
        << "            promised <= " << Unsigned(0, cb) << ";\n"
        << "            write_count <= " << Unsigned(0, cb) << ";\n"
        << "            read_count <= " << Unsigned(0, cb) << ";\n";
    if (frame > 1) out << "            position <= " << Unsigned(0, fb) << ";\n";
    out << "        end else begin\n"
        << "            promised <= promised + (take ? " << Unsigned(outputs, cb) << " : " << Unsigned(0, cb)
        << ") - (pop ? " << Unsigned(1, cb) << " : " << Unsigned(0, cb) << ");\n"
        << "            if (core_valid) write_count <= write_count + " << Unsigned(1, cb) << ";\n"
        << "            if (pop) read_count <= read_count + " << Unsigned(1, cb) << ";\n";
    if (frame > 1)
        out << "            if (pop) position <= position == " << Unsigned(frame - 1, fb) << " ? " << Unsigned(0, fb)
            << " : position + " << Unsigned(1, fb) << ";\n";
    out << "        end\n"
        << "endmodule\n";
}

}  // namespace fir::vlog
