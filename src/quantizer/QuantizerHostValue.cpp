// Reads a quantizer from the Tcl list value the host passes for a port or a project option:
// type, overflow and rounding words and up to two integers (word and fraction length), in flat
// form {fixed floor wrap 16 15} or nested form {fixed floor wrap {16 15}}.
#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/AppMgr.h"
#include "host/Messaging.h"
#include "quantizer/ProjectQuantizerDefaults.h"
#include "quantizer/Quantizer.h"

namespace kw {

namespace {

struct HostValueParts {
    std::vector<int> integers;
    std::vector<std::string> words;
};

bool IsNestedForm(const CTclDataObj& value) {
    const int count = value.GetNumElements();
    for (int i = 0; i < count; ++i) {
        if (value.GetElement(i).GetNumElements() > 1) return true;
    }
    return false;
}

bool IsDecimalDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// Digits, or a minus sign followed by digits only (no plus sign, no blanks).
bool IsFlatInteger(const std::string& text) {
    if (text.empty() || !(IsDecimalDigit(text[0]) || text[0] == '-')) return false;
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (!IsDecimalDigit(text[i])) return false;
    }
    return true;
}

// As C atoi, without its undefined behaviour on out-of-range texts.
int AtoiValue(const std::string& text) { return static_cast<int>(std::strtol(text.c_str(), nullptr, 10)); }

bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// True when the host's integer syntax spells zero: blanks, a sign, an optional radix prefix
// (0x, 0o, 0b) and zero digits only.
bool IsHostZeroText(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsSpace(text[begin])) ++begin;
    while (end > begin && IsSpace(text[end - 1])) --end;
    if (begin < end && (text[begin] == '+' || text[begin] == '-')) ++begin;
    if (end - begin > 2 && text[begin] == '0' && std::string("xXoObB").find(text[begin + 1]) != std::string::npos) {
        begin += 2;
    }
    if (begin == end) return false;
    for (std::size_t i = begin; i < end; ++i) {
        if (text[i] != '0') return false;
    }
    return true;
}

// The host's integer conversion answers 0 for a non-integer, so a 0 answer is an integer only
// when the text itself spells zero.
bool HostInteger(const CTclDataObj& value, int& integer) {
    integer = value.GetIntValue();
    return integer != 0 || IsHostZeroText(value.GetStringValue());
}

void CollectNested(const CTclDataObj& value, const char* file, int line, HostValueParts& parts) {
    const int count = value.GetNumElements();
    for (int i = 0; i < count; ++i) {
        const CTclDataObj element = value.GetElement(i);
        const int subCount = element.GetNumElements();
        if (subCount < 2) {
            parts.words.push_back(element.GetStringValue());
            continue;
        }
        for (int j = 0; j < subCount; ++j) {
            int integer = 0;
            if (!HostInteger(element.GetElement(j), integer)) {
                CTclDataObj params;
                params.MakeList();
                params.AppendAsListElement(element.GetStringValue());
                ReportRefusal("DIR-0035", file, line, &params);
            }
            parts.integers.push_back(integer);
        }
    }
}

void CollectFlat(const CTclDataObj& value, HostValueParts& parts) {
    const int count = value.GetNumElements();
    for (int i = 0; i < count; ++i) {
        const std::string text = value.GetElement(i).GetStringValue();
        if (IsFlatInteger(text)) {
            parts.integers.push_back(AtoiValue(text));
        } else {
            parts.words.push_back(text);
        }
    }
}

}  // namespace

void Quantizer::ApplyHostValue(const CTclDataObj* value, const char* file, int line) {
    if (value == nullptr) return;

    HostValueParts parts;
    if (IsNestedForm(*value)) {
        CollectNested(*value, file, line, parts);
    } else {
        CollectFlat(*value, parts);
    }

    if (parts.integers.size() > 2) {
        const CTclDataObj noParams(0);
        ReportRefusal("DIR-0036", file, line, &noParams);
    }
    if (!parts.integers.empty()) m_wordLength = parts.integers[0];
    if (parts.integers.size() == 2) m_fractionalLength = parts.integers[1];
    for (const std::string& word : parts.words) ApplyWord(word, file, line);
}

void Quantizer::ApplyWord(const std::string& word, const char* file, int line) {
    if (word == "fixed") {
        m_type = kFixed;
    } else if (word == "ufixed") {
        m_type = kUFixed;
    } else if (word == "wrap") {
        m_overflow = kWrap;
    } else if (word == "saturate") {
        m_overflow = kSaturate;
    } else if (word == "floor") {
        m_round = kFloor;
    } else if (word == "ceil") {
        m_round = kCeil;
    } else if (word == "fix") {
        m_round = kFix;
    } else if (word == "round") {
        // MATLAB's "round" is read as "nearest"; the host says so once per process.
        m_round = kNearest;
        bool& warned = ProcessState().roundWarningGiven;
        if (!warned) {
            warned = true;
            ReportWarningNoParams("QTZ-0040", "", -1);
        }
    } else if (word == "nearest") {
        m_round = kNearest;
    } else if (word == "convergent") {
        m_round = kConvergent;
    } else {
        CTclDataObj params;
        params.MakeList();
        params.AppendAsListElement(word);
        ReportRefusal("DIR-0037", file, line, &params);
    }
}

}  // namespace kw
