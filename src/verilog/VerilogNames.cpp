// Reserved words, port names and the identifier scan of Verilog text.
#include "verilog/VerilogNames.h"

#include <algorithm>
#include <iterator>

namespace fir {

namespace {

// IEEE 1800-2017 Annex B, which contains all of IEEE 1364-2005 Annex B; sorted for the search.
constexpr std::string_view kKeywords[] = {
    "accept_on", "alias", "always", "always_comb", "always_ff", "always_latch", "and", "assert", "assign",
    "assume", "automatic", "before", "begin", "bind", "bins", "binsof", "bit", "break", "buf", "bufif0",
    "bufif1", "byte", "case", "casex", "casez", "cell", "chandle", "checker", "class", "clocking", "cmos",
    "config", "const", "constraint", "context", "continue", "cover", "covergroup", "coverpoint", "cross",
    "deassign", "default", "defparam", "design", "disable", "dist", "do", "edge", "else", "end", "endcase",
    "endchecker", "endclass", "endclocking", "endconfig", "endfunction", "endgenerate", "endgroup",
    "endinterface", "endmodule", "endpackage", "endprimitive", "endprogram", "endproperty", "endsequence",
    "endspecify", "endtable", "endtask", "enum", "event", "eventually", "expect", "export", "extends",
    "extern", "final", "first_match", "for", "force", "foreach", "forever", "fork", "forkjoin", "function",
    "generate", "genvar", "global", "highz0", "highz1", "if", "iff", "ifnone", "ignore_bins",
    "illegal_bins", "implements", "implies", "import", "incdir", "include", "initial", "inout", "input",
    "inside", "instance", "int", "integer", "interconnect", "interface", "intersect", "join", "join_any",
    "join_none", "large", "let", "liblist", "library", "local", "localparam", "logic", "longint",
    "macromodule", "matches", "medium", "modport", "module", "nand", "negedge", "nettype", "new",
    "nexttime", "nmos", "nor", "noshowcancelled", "not", "notif0", "notif1", "null", "or", "output",
    "package", "packed", "parameter", "pmos", "posedge", "primitive", "priority", "program", "property",
    "protected", "pull0", "pull1", "pulldown", "pullup", "pulsestyle_ondetect", "pulsestyle_onevent",
    "pure", "rand", "randc", "randcase", "randsequence", "rcmos", "real", "realtime", "ref", "reg",
    "reject_on", "release", "repeat", "restrict", "return", "rnmos", "rpmos", "rtran", "rtranif0",
    "rtranif1", "s_always", "s_eventually", "s_nexttime", "s_until", "s_until_with", "scalared",
    "sequence", "shortint", "shortreal", "showcancelled", "signed", "small", "soft", "solve", "specify",
    "specparam", "static", "string", "strong", "strong0", "strong1", "struct", "super", "supply0",
    "supply1", "sync_accept_on", "sync_reject_on", "table", "tagged", "task", "this", "throughout", "time",
    "timeprecision", "timeunit", "tran", "tranif0", "tranif1", "tri", "tri0", "tri1", "triand", "trior",
    "trireg", "type", "typedef", "union", "unique", "unique0", "unsigned", "until", "until_with",
    "untyped", "use", "uwire", "var", "vectored", "virtual", "void", "wait", "wait_order", "wand", "weak",
    "weak0", "weak1", "while", "wildcard", "wire", "with", "within", "wor", "xnor", "xor"};

constexpr std::string_view kPortNames[] = {
    "clk", "rst", "in_valid", "in_ready", "in_data", "out_valid", "out_data",
    "aclk", "aresetn", "s_axis_tvalid", "s_axis_tready", "s_axis_tdata",
    "m_axis_tvalid", "m_axis_tready", "m_axis_tdata", "m_axis_tlast"};

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsWordChar(char c) { return IsLetter(c) || IsDigit(c) || c == '$'; }
bool IsBaseDigit(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == '_' || c == 'x' || c == 'X' ||
           c == 'z' || c == 'Z' || c == '?';
}

// Reads text[i..] while PRED holds; returns the index after.
template <typename Pred>
std::size_t SkipWhile(std::string_view text, std::size_t i, Pred pred) {
    while (i < text.size() && pred(text[i])) ++i;
    return i;
}

// The index after the comment, string, number, directive or word that starts at text[i].
std::size_t SkipUnit(std::string_view text, std::size_t i) {
    const char c = text[i];
    if (text.compare(i, 2, "//") == 0) {
        const std::size_t end = text.find('\n', i);
        return end == std::string_view::npos ? text.size() : end;
    }
    if (text.compare(i, 2, "/*") == 0) {
        const std::size_t end = text.find("*/", i + 2);
        return end == std::string_view::npos ? text.size() : end + 2;
    }
    if (c == '"') {
        ++i;
        while (i < text.size() && text[i] != '"' && text[i] != '\n') i += text[i] == '\\' ? 2 : 1;
        return std::min(i + 1, text.size());
    }
    if (c == '\'') {
        i = SkipWhile(text, i + 1, [](char d) { return d == 's' || d == 'S'; });
        return SkipWhile(text, i + 1, IsBaseDigit);
    }
    if (c == '\\') return SkipWhile(text, i, [](char d) { return d != ' ' && d != '\t' && d != '\n'; });
    if (c == '`' || c == '$' || IsDigit(c)) return SkipWhile(text, i + 1, IsWordChar);
    return i + 1;
}

}  // namespace

bool IsVerilogKeyword(std::string_view word) {
    return std::binary_search(std::begin(kKeywords), std::end(kKeywords), word);
}

bool IsStreamPortName(std::string_view word) {
    return std::find(std::begin(kPortNames), std::end(kPortNames), word) != std::end(kPortNames);
}

std::set<std::string> VerilogIdentifiers(std::string_view text) {
    std::set<std::string> identifiers;
    std::size_t i = 0;
    while (i < text.size()) {
        if (IsLetter(text[i])) {
            const std::size_t end = SkipWhile(text, i, IsWordChar);
            identifiers.emplace(text.substr(i, end - i));
            i = end;
        } else {
            i = SkipUnit(text, i);
        }
    }
    return identifiers;
}

}  // namespace fir
