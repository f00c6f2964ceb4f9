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
constexpr bool IsKeywordInitial(char c) {
    return c == 'f' || c == 'e' || c == 'i' || c == 'c' || c == 'w' || c == 's' || c == 'o' || c == 't';
}

class LineProbe {
public:
    // One pass over the line finds where each spelling first occurs; then each keyword counts
    // when at least one of its spellings occurs and every one that occurs starts before the
    // first comment sign or quote.
    // text is the stripped line with one blank before and after it.
    explicit LineProbe(std::string_view text) {
        std::array<std::size_t, kSpellingCount> first;
        first.fill(std::string_view::npos);
        std::size_t limit = std::string_view::npos;
        for (std::size_t at = 0; at + 1 < text.size(); ++at) {
            const char c = text[at];
            if ((c == '%' || c == '\'') && limit == std::string_view::npos) {
                limit = at;
            }
            if ((c != ' ' && c != ';') || !IsKeywordInitial(text[at + 1])) {
                continue;
            }
            for (std::size_t i = 0; i < kSpellingCount; ++i) {
                if (first[i] == std::string_view::npos && text.substr(at).starts_with(kSpellings[i].text)) {
                    first[i] = at;
                }
            }
        }
        std::array<bool, kKeywordCount> found{};
        std::array<bool, kKeywordCount> beyondLimit{};
        for (std::size_t i = 0; i < kSpellingCount; ++i) {
            if (first[i] == std::string_view::npos) {
                continue;
            }
            found[kSpellings[i].keyword] = true;
            beyondLimit[kSpellings[i].keyword] = beyondLimit[kSpellings[i].keyword] || first[i] >= limit;
        }
        for (std::size_t k = 0; k < kKeywordCount; ++k) {
            m_has[k] = found[k] && !beyondLimit[k];
        }
    }

    bool Has(Keyword keyword) const { return m_has[keyword]; }

private:
    std::array<bool, kKeywordCount> m_has{};
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

std::string_view WithoutLeadingBlanks(const std::string& line) {
    const std::size_t first = line.find_first_not_of(" \t");
    return first == std::string::npos ? std::string_view() : std::string_view(line).substr(first);
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
    std::string padded;  // reused: " " + stripped line + " "
    while (std::getline(source, line)) {
        const std::string_view stripped = WithoutLeadingBlanks(line);
        padded.assign(1, ' ');
        padded.append(stripped);
        padded.push_back(' ');
        const LineEffect effect = ClassifyLine(LineProbe(padded), state);
        state.level -= effect.dedent;
        if (state.level > 0) {
            WriteIndent(target, state.level);
        }
        target.write(stripped.data(), static_cast<std::streamsize>(stripped.size()));
        target.put('\n');
        state.level += effect.opens;
    }
}

}  // namespace kw
