// The keyword rules of MATLAB re-indentation. A line is probed as " " + stripped line + " ", so
// a keyword at the start or end of a line is still found with its surrounding blank.
#include "framework/MatlabIndenter.h"

#include <initializer_list>
#include <string>

namespace kw {

namespace {

constexpr int kIndentUnit = 3;

class LineProbe {
public:
    explicit LineProbe(const std::string& stripped) : m_text(" " + stripped + " ") {
        m_limit = m_text.find_first_of("%'");
    }

    // A keyword counts when at least one spelling occurs and every spelling that occurs starts
    // before the first comment sign or quote.
    bool Has(std::initializer_list<const char*> spellings) const {
        bool found = false;
        for (const char* spelling : spellings) {
            const std::size_t at = m_text.find(spelling);
            if (at == std::string::npos) {
                continue;
            }
            if (m_limit != std::string::npos && at >= m_limit) {
                return false;
            }
            found = true;
        }
        return found;
    }

private:
    std::string m_text;
    std::size_t m_limit;
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
    if (probe.Has({" for ", " for("})) {
        effect.count = 1;
        effect.opens = 1;
    }
    if (probe.Has({" elseif ", " elseif("})) {
        effect.count += 1;
        effect.opens = 1;
        effect.dedent = 1;
    }
    if (probe.Has({" if ", " if("})) {
        effect.count += 1;
        effect.opens = 1;
    }
    if (probe.Has({" else ", " else;"})) {
        effect.count += 1;
        effect.opens = 1;
        effect.dedent = 1;
    }
    if (probe.Has({" end ", " end;", ";end"})) {
        effect.count += 1;
        // The end of a switch closes its case body and the switch itself.
        effect.dedent = state.switchLevel == state.level ? 2 : 1;
    }
    if (probe.Has({" case ", " case("})) {
        effect.count += 1;
        effect.opens = 1;
        if (!state.switchPending) {
            effect.dedent = 1;
        }
        state.switchPending = false;
    }
    if (probe.Has({" while ", " while("})) {
        effect.count += 1;
        effect.opens = 1;
    }
    if (probe.Has({" switch ", " switch("})) {
        effect.count += 1;
        effect.opens = 1;
        state.switchPending = true;
        state.switchLevel = state.level + 2;
    }
    if (probe.Has({" otherwise ", " otherwise;"})) {
        effect.count += 1;
        effect.opens = 1;
        effect.dedent = 1;
    }
    if (probe.Has({" try ", " try("})) {
        effect.count += 1;
        effect.opens = 1;
    }
    if (probe.Has({" catch ", " catch("})) {
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

}  // namespace

void IndentMatlab(std::istream& source, std::ostream& target) {
    IndentState state;
    std::string line;
    while (std::getline(source, line)) {
        const std::string stripped = WithoutLeadingBlanks(line);
        const LineEffect effect = ClassifyLine(LineProbe(stripped), state);
        state.level -= effect.dedent;
        if (state.level > 0) {
            target << std::string(static_cast<std::size_t>(kIndentUnit * state.level), ' ');
        }
        target << stripped << '\n';
        state.level += effect.opens;
    }
}

}  // namespace kw
