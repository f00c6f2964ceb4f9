// The keyword rules of MATLAB re-indentation. A line is probed as " " + stripped line + " ", so
// a keyword at the start or end of a line is still found with its surrounding blank.
#include "framework/MatlabIndenter.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

namespace kw {

namespace {

constexpr int kIndentUnit = 3;

// The keywords of block structure, each with the spellings that count as it.
enum Keyword { kFor, kElseif, kIf, kElse, kEnd, kCase, kWhile, kSwitch, kOtherwise, kTry, kCatch, kKeywordCount };

struct Spelling {
    Keyword keyword;
    std::string_view text;
};

constexpr Spelling kSpellings[] = {
    {kFor, " for "},         {kFor, " for("},         {kElseif, " elseif "},      {kElseif, " elseif("},
    {kIf, " if "},           {kIf, " if("},           {kElse, " else "},          {kElse, " else;"},
    {kEnd, " end "},         {kEnd, " end;"},         {kEnd, ";end"},             {kCase, " case "},
    {kCase, " case("},       {kWhile, " while "},     {kWhile, " while("},        {kSwitch, " switch "},
    {kSwitch, " switch("},   {kOtherwise, " otherwise "}, {kOtherwise, " otherwise;"}, {kTry, " try "},
    {kTry, " try("},         {kCatch, " catch "},     {kCatch, " catch("},
};
constexpr std::size_t kSpellingCount = sizeof(kSpellings) / sizeof(kSpellings[0]);

// Every spelling starts with a blank or ';' followed by one of these letters.
constexpr std::string_view kKeywordInitials = "feicwsot";

class LineProbe {
public:
    // One pass over the line finds where each spelling first occurs.
    explicit LineProbe(const std::string& stripped) : m_text(" " + stripped + " ") {
        m_first.fill(std::string_view::npos);
        const std::string_view text(m_text);
        for (std::size_t at = 0; at + 1 < text.size(); ++at) {
            const char c = text[at];
            if ((c == '%' || c == '\'') && m_limit == std::string::npos) {
                m_limit = at;
            }
            if ((c != ' ' && c != ';') || kKeywordInitials.find(text[at + 1]) == std::string_view::npos) {
                continue;
            }
            for (std::size_t i = 0; i < kSpellingCount; ++i) {
                if (m_first[i] == std::string_view::npos && text.substr(at).starts_with(kSpellings[i].text)) {
                    m_first[i] = at;
                }
            }
        }
    }

    // A keyword counts when at least one spelling occurs and every spelling that occurs starts
    // before the first comment sign or quote.
    bool Has(Keyword keyword) const {
        bool found = false;
        for (std::size_t i = 0; i < kSpellingCount; ++i) {
            if (kSpellings[i].keyword != keyword || m_first[i] == std::string_view::npos) {
                continue;
            }
            if (m_limit != std::string::npos && m_first[i] >= m_limit) {
                return false;
            }
            found = true;
        }
        return found;
    }

private:
    std::string m_text;
    std::size_t m_limit = std::string::npos;  // the first comment sign or quote
    std::array<std::size_t, kSpellingCount> m_first;
};

// The block state carried from line to line.
struct IndentState {
    int level = 0;
    int switchLevel = 0;
    bool switchPending = false;
};

struct LineEffect {
    int count = 0;
    int opens = 0;
    int dedent = 0;
};

LineEffect ClassifyLine(const LineProbe& probe, IndentState& state) {
    LineEffect effect;
    if (probe.Has(kFor)) {
        effect.count = 1;
        effect.opens = 1;
    }
    if (probe.Has(kElseif)) {
        effect.count += 1;
        effect.opens = 1;
        effect.dedent = 1;
    }
    if (probe.Has(kIf)) {
        effect.count += 1;
        effect.opens = 1;
    }
    if (probe.Has(kElse)) {
        effect.count += 1;
        effect.opens = 1;
        effect.dedent = 1;
    }
    if (probe.Has(kEnd)) {
        effect.count += 1;
        // The end of a switch closes its case body and the switch itself.
        effect.dedent = state.switchLevel == state.level ? 2 : 1;
    }
    if (probe.Has(kCase)) {
        effect.count += 1;
        effect.opens = 1;
        if (!state.switchPending) {
            effect.dedent = 1;
        }
        state.switchPending = false;
    }
    if (probe.Has(kWhile)) {
        effect.count += 1;
        effect.opens = 1;
    }
    if (probe.Has(kSwitch)) {
        effect.count += 1;
        effect.opens = 1;
        state.switchPending = true;
        state.switchLevel = state.level + 2;
    }
    if (probe.Has(kOtherwise)) {
        effect.count += 1;
        effect.opens = 1;
        effect.dedent = 1;
    }
    if (probe.Has(kTry)) {
        effect.count += 1;
        effect.opens = 1;
    }
    if (probe.Has(kCatch)) {
        effect.count += 1;
        effect.opens = 1;
        effect.dedent = 1;
    }
    // Several keywords on one line (a one-line if ... end) leave the level alone.
    if (effect.count > 1) {
        effect.opens = 0;
        effect.dedent = 0;
    }
    return effect;
}

std::string WithoutLeadingBlanks(const std::string& line) {
    const std::size_t first = line.find_first_not_of(" \t");
    return first == std::string::npos ? std::string() : line.substr(first);
}

void WriteIndent(std::ostream& target, int level) {
    static const std::string kBlanks(64, ' ');
    std::size_t count = static_cast<std::size_t>(kIndentUnit * level);
    while (count > 0) {
        const std::size_t chunk = std::min(count, kBlanks.size());
        target.write(kBlanks.data(), static_cast<std::streamsize>(chunk));
        count -= chunk;
    }
}

}  // namespace

void IndentMatlab(std::istream& source, std::ostream& target) {
    IndentState state;
    std::string line;
    while (std::getline(source, line)) {
        const std::string stripped = WithoutLeadingBlanks(line);
        const LineEffect effect = ClassifyLine(LineProbe(stripped), state);
        state.level -= effect.dedent;
        if (state.level > 0) {
            WriteIndent(target, state.level);
        }
        target << stripped << '\n';
        state.level += effect.opens;
    }
}

}  // namespace kw
