// The checks a script's text passes before the interpreter sees it: where a script first nests
// deeper than a limit, read by Tcl's quoting rules, and where its bytes stop being UTF-8.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "ScriptNesting.h"
#include "Utf8Check.h"

namespace {

using appmgr::FirstInvalidUtf8Byte;
using appmgr::FirstOffsetBeyondNesting;

constexpr std::optional<std::size_t> kWithin = std::nullopt;

// Each script against a limit of 3 levels: none, or the offset of the character that opens the
// fourth level.
TEST(ScriptNesting, FollowsTclsQuotingRules) {
    const struct {
        const char* label;
        std::string script;
        std::optional<std::size_t> beyond;
    } cases[] = {
        {"three substitutions", "a [b [c [d]]]", kWithin},
        {"four substitutions", "a [b [c [d [e]]]]", 11},
        {"substitutions one after another", "a [b [c [d]]] [b [c [d]]]", kWithin},
        {"four braces", "a {{{{x}}}}", 5},
        {"brackets inside braces are text", "a {[[[[[[}", kWithin},
        {"escaped brace inside braces", "a {{\\{{x}}}", kWithin},
        {"braces inside a bare word are text", "a b{{{{", kWithin},
        {"braces inside quotes are text", "a \"{{{{\"", kWithin},
        {"brackets inside quotes substitute", "a \"[[[[x]]]]\"", 6},
        {"escaped quote keeps the word open", "a \"\\\"[[[[\"", 8},
        {"quoted close bracket inside a substitution", "a [b \"]\" [c [d [e]]]]", 15},
        {"escaped brackets are text", "a \\[\\[\\[\\[ b", kWithin},
        {"comment", "# [[[[[[\nset a b", kWithin},
        {"comment continued by a backslash", "# x \\\n[[[[[", kWithin},
        {"comment ends at its line", "# x\na [b [c [d [e]]]]", 15},
        {"comment inside a substitution", "a [# [[[[[\n]", kWithin},
        {"hash inside a word is no comment", "a #[b [c [d [e]]]]", 12},
        {"array indexes nest", "a $x($x($x($x(1))))", 13},
        {"braced variable name is text", "a ${x([[[[}", kWithin},
        {"single colon ends a name", "a $x:($x($x(1)))", kWithin},
        {"expansion of a substitution", "a {*}[b [c [d [e]]]]", 14},
        {"stray close brackets at the top", "a b]]]] [c [d [e]]]", kWithin},
        {"unbalanced text is counted as far as it goes", "[[[[", 3},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.beyond, FirstOffsetBeyondNesting(c.script, 3)) << c.label;
    }
}

TEST(ScriptNesting, DeepTextIsScannedWithoutRecursion) {
    const std::string deep = std::string(1000000, '[') + std::string(1000000, ']');
    EXPECT_EQ(std::optional<std::size_t>(1000), FirstOffsetBeyondNesting(deep, 1000));
    EXPECT_EQ(kWithin, FirstOffsetBeyondNesting(deep, 1000000));
}

TEST(Utf8Check, FindsTheFirstIllFormedSequenceAtItsLeadByte) {
    const struct {
        const char* label;
        std::string bytes;
        std::optional<std::size_t> invalid;
    } cases[] = {
        {"empty", "", kWithin},
        {"ascii with a NUL", std::string("a\0b", 3), kWithin},
        {"two-byte", "caf\xc3\xa9", kWithin},
        {"three-byte", "\xe2\x82\xac", kWithin},
        {"four-byte", "\xf0\x9f\x98\x80", kWithin},
        {"highest code point", "\xf4\x8f\xbf\xbf", kWithin},
        {"latin-1 byte", "lat\xe9", 3},
        {"latin-1 byte before text", "lat\xe9x", 3},
        {"stray continuation", "\x80", 0},
        {"truncated at the end", "a\xc3", 1},
        {"truncated three-byte", "\xe2\x82", 0},
        {"overlong two-byte", "\xc0\xaf", 0},
        {"overlong three-byte", "\xe0\x80\xaf", 0},
        {"surrogate", "\xed\xa0\x80", 0},
        {"beyond U+10FFFF", "\xf4\x90\x80\x80", 0},
        {"never a lead byte", "ok\xe2\x82\xacx\xff", 6},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.invalid, FirstInvalidUtf8Byte(c.bytes)) << c.label;
    }
    EXPECT_EQ("byte 4 (0xE9)", appmgr::DescribeInvalidByte("lat\xe9", 3));
    EXPECT_EQ("line 2, byte 4 (0xFF)", appmgr::DescribeInvalidByte("a\nb\xff", 3));
}

}  // namespace
