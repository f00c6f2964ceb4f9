// The identifier scan that keeps a core's name apart from the names its Verilog uses: what is
// skipped (comments, strings, literals with their base letters, directives, system tasks) and
// what is kept; and the reserved words of both standards.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "verilog/VerilogNames.h"

namespace {

TEST(VerilogNames, IdentifiersOfATextSkipEverythingThatIsNotAName) {
    const struct {
        const char* text;
        std::set<std::string> identifiers;
    } cases[] = {
        {"wire signed [15:0] take_1;", {"wire", "signed", "take_1"}},
        {"// line_1 in a comment\nreg a;", {"reg", "a"}},
        {"/* x_in\n spans lines */ reg b; /* unterminated", {"reg", "b"}},
        {"$display(\"FAIL %d result\", got);", {"got"}},
        {"`timescale 1ns / 1ps\nmodule m;", {"module", "m"}},
        {"assign y = 16'sd5 + 4'hF + 8'b1010_xxzz + 3'o7 + 12'SHabc;", {"assign", "y"}},
        {"x = 1.5e3 + 2 + 10_000;", {"x"}},
        {"\\escaped$name reg_$x", {"reg_$x"}},
        {"$readmemh(\"a\\\"b.hex\", mem);", {"mem"}},
        {"", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.identifiers, fir::VerilogIdentifiers(c.text)) << c.text;
    }
}

TEST(VerilogNames, ReservedWordsOfBothStandardsAndTheStreamPorts) {
    for (const char* word : {"module", "wire", "uwire", "pulsestyle_onevent", "endconfig", "int", "logic",
                             "interface", "accept_on", "until_with", "xor", "accept_on", "wildcard", "within"}) {
        EXPECT_TRUE(fir::IsVerilogKeyword(word)) << word;
    }
    for (const char* word : {"Module", "take", "line_1", "modules", "", "delete", "double"}) {
        EXPECT_FALSE(fir::IsVerilogKeyword(word)) << word;
    }
    for (const char* port : {"clk", "rst", "in_data", "out_valid", "aclk", "aresetn", "s_axis_tready", "m_axis_tlast"}) {
        EXPECT_TRUE(fir::IsStreamPortName(port)) << port;
    }
    EXPECT_FALSE(fir::IsStreamPortName("s_axis_tlast"));
}

}  // namespace
