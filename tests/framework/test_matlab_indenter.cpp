// Re-indentation rules of generated MATLAB: one table of sources and the indentation each line
// must get, covering every keyword, the comment and quote limit, one-line blocks and switch.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "framework/MatlabIndenter.h"

namespace {

struct IndentCase {
    const char* name;
    std::vector<std::string> source;
    std::vector<int> indent;  // leading blanks of each output line
};

void PrintTo(const IndentCase& c, std::ostream* os) { *os << c.name; }

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::string Joined(const std::vector<std::string>& lines, bool finalBreak = true) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        text += lines[i];
        if (i + 1 < lines.size() || finalBreak) {
            text += "\n";
        }
    }
    return text;
}

std::string Indent(const std::string& source) {
    std::istringstream in(source);
    std::ostringstream out;
    kw::IndentMatlab(in, out);
    return out.str();
}

class IndentTable : public ::testing::TestWithParam<IndentCase> {};

TEST_P(IndentTable, EachLineGetsItsIndentation) {
    const IndentCase& c = GetParam();
    const std::string output = Indent(Joined(c.source));
    const std::vector<std::string> lines = Lines(output);
    ASSERT_EQ(lines.size(), c.indent.size()) << output;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string stripped = c.source[i].substr(std::min(c.source[i].find_first_not_of(" \t"), c.source[i].size()));
        EXPECT_EQ(lines[i], std::string(static_cast<std::size_t>(c.indent[i]), ' ') + stripped)
            << "line " << i << " of " << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Keywords, IndentTable,
    ::testing::Values(
        IndentCase{"if_else", {"if a", "b = 1;", "else", "c = 2;", "end"}, {0, 3, 0, 3, 0}},
        IndentCase{"switch", {"switch x", "case 1", "y=1;", "otherwise", "y=2;", "end"}, {0, 3, 6, 3, 6, 0}},
        IndentCase{"one_line_if_in_for", {"for k=1:3", "if a, b, end", "end"}, {0, 3, 0}},
        IndentCase{"comment_and_quote_limit", {"x = 1; % if", "disp(' if x')"}, {0, 0}},
        IndentCase{"keyword_at_column_zero", {"for(k=1:2)", "x(k) = k;", "end"}, {0, 3, 0}},
        IndentCase{"leading_blanks_and_tabs_replaced", {"\t  if a", "      b;", "  end"}, {0, 3, 0}},
        IndentCase{"elseif_chain", {"if a", "x;", "elseif(b)", "y;", "else;", "z;", "end;"}, {0, 3, 0, 3, 0, 3, 0}},
        IndentCase{"second_case_steps_back", {"switch(v)", "case 1", "a;", "case 2", "b;", "end"}, {0, 3, 6, 3, 6, 0}},
        IndentCase{"while_try_catch", {"while k", "try", "a;", "catch e", "b;", "end", "end"}, {0, 3, 6, 3, 6, 3, 0}},
        IndentCase{"semicolon_end", {"if a", "b;", "x=1;end"}, {0, 3, 0}},
        // switchLevel is not cleared: a later end at the switch's old level steps back two.
        IndentCase{"stale_switch_level",
                   {"switch x", "case 1", "y;", "end", "for k=1:2", "for j=1:2", "z;", "end", "w;", "end"},
                   {0, 3, 6, 0, 0, 3, 6, 0, 0, 0}},
        // A spelling after the comment sign voids the keyword although another spelling is before it.
        IndentCase{"spelling_after_limit_voids_keyword", {"for(k=1:2) % for all", "x;"}, {0, 0}},
        IndentCase{"words_containing_keywords", {"endval = 1;", "ifx = 2;", "format long"}, {0, 0, 0}},
        IndentCase{"blank_line_keeps_level", {"if a", "", "end"}, {0, 3, 0}},
        IndentCase{"unbalanced_end_does_not_indent_negative", {"end", "x;"}, {0, 0}}));

TEST(IndentMatlab, LastLineWithoutBreakGetsOne) {
    EXPECT_EQ(Indent("if a\nb\nend"), "if a\n   b\nend\n");
}

TEST(IndentMatlab, BlankLineBecomesBlanksOfTheLevel) {
    EXPECT_EQ(Indent("if a\n\nend\n"), "if a\n   \nend\n");
}

TEST(IndentMatlab, TrailingBlanksStay) {
    EXPECT_EQ(Indent("if a  \n  b \t\nend\n"), "if a  \n   b \t\nend\n");
}

}  // namespace
