// The well-formed UTF-8 byte sequences are those of Unicode's table 3-7; anything else is refused.
#include "Utf8Check.h"

#include <algorithm>
#include <cstdio>

namespace appmgr {

namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The length of the sequence a lead byte starts and the range its second byte must lie in (the
// narrower ranges exclude overlong forms, surrogates and code points past U+10FFFF); 0 when the
// byte cannot start a sequence.
struct LeadRule {
    std::size_t length;
    unsigned char secondLow;
    unsigned char secondHigh;
};

LeadRule RuleOf(unsigned char lead) {
    if (lead < 0x80) return {1, 0, 0};
    if (lead >= 0xC2 && lead <= 0xDF) return {2, 0x80, 0xBF};
    if (lead == 0xE0) return {3, 0xA0, 0xBF};
    if (lead == 0xED) return {3, 0x80, 0x9F};
    if (lead >= 0xE1 && lead <= 0xEF) return {3, 0x80, 0xBF};
    if (lead == 0xF0) return {4, 0x90, 0xBF};
    if (lead >= 0xF1 && lead <= 0xF3) return {4, 0x80, 0xBF};
    if (lead == 0xF4) return {4, 0x80, 0x8F};
    return {0, 0, 0};
}

}  // namespace

std::optional<std::size_t> FirstInvalidUtf8Byte(std::string_view bytes) {
    std::size_t at = 0;
    while (at < bytes.size()) {
        const unsigned char lead = static_cast<unsigned char>(bytes[at]);
        const LeadRule rule = RuleOf(lead);
        if (rule.length == 0) return at;
        if (rule.length == 1) {
            ++at;
            continue;
        }
        // An ill-formed sequence is reported at its lead byte: that is the character a reader looks for.
        if (at + rule.length > bytes.size()) return at;
        const unsigned char second = static_cast<unsigned char>(bytes[at + 1]);
        if (second < rule.secondLow || second > rule.secondHigh) return at;
        for (std::size_t i = 2; i < rule.length; ++i) {
            if (!IsContinuation(static_cast<unsigned char>(bytes[at + i]))) return at;
        }
        at += rule.length;
    }
    return std::nullopt;
}

std::string DescribeInvalidByte(std::string_view bytes, std::size_t offset) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", offset < bytes.size() ? static_cast<unsigned char>(bytes[offset]) : 0);
    const std::string where = "byte " + std::to_string(offset + 1) + " (" + hex + ")";
    if (bytes.find('\n') == std::string_view::npos) return where;
    const auto line = 1 + std::count(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(offset), '\n');
    return "line " + std::to_string(line) + ", " + where;
}

}  // namespace appmgr
