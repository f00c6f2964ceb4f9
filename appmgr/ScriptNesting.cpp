// One pass over a script with an explicit stack of the places the parser would recurse into.
#include "ScriptNesting.h"

#include <vector>

namespace appmgr {

namespace {

// Where the scanner is. A script (the whole text or a command substitution) is between commands,
// in a comment, between words or inside a bare word; a quoted word and an array index are
// inside a word of the script below them on the stack.
enum class Place { CommandStart, Comment, WordStart, BareWord, QuotedWord, ArrayIndex };

struct Frame {
    Place place;
    bool nests;  // a level of recursion to Tcl (command substitution, array index)
};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r'; }
bool IsCommandEnd(char c) { return c == '\n' || c == ';'; }
bool IsAsciiAlnum(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

class Scanner {
public:
    Scanner(std::string_view text, int limit) : m_text(text), m_limit(limit) {
        m_stack.push_back({Place::CommandStart, false});
    }

    std::optional<std::size_t> Run() {
        while (m_at < m_text.size() && !m_beyond) Step();
        if (m_beyond) return m_beyondAt;
        return std::nullopt;
    }

private:
    char Current() const { return m_text[m_at]; }
    bool Has(std::size_t ahead) const { return m_at + ahead < m_text.size(); }
    char Ahead(std::size_t ahead) const { return m_text[m_at + ahead]; }
    Place& Here() { return m_stack.back().place; }
    bool InSubstitution() const { return m_stack.size() > 1 && m_stack.back().nests; }

    void Deepen(std::size_t at) {
        if (++m_depth > m_limit && !m_beyond) {
            m_beyond = true;
            m_beyondAt = at;
        }
    }

    void Push(Place place, bool nests) {
        if (nests) Deepen(m_at);
        m_stack.push_back({place, nests});
    }

    void Pop() {
        if (m_stack.back().nests) --m_depth;
        m_stack.pop_back();
    }

    // A backslash and the character it escapes (a whole UTF-8 sequence need not be skipped: its
    // bytes are never structural).
    void SkipEscape() { m_at += Has(1) ? 2 : 1; }

    void Step() {
        switch (Here()) {
        case Place::CommandStart: return CommandStart();
        case Place::Comment: return Comment();
        case Place::WordStart: return WordStart();
        case Place::BareWord: return BareWord();
        case Place::QuotedWord: return RunTo('"');
        case Place::ArrayIndex: return RunTo(')');
        }
    }

    // A "]" between commands or words ends the command substitution it belongs to.
    bool ClosesSubstitution() {
        if (Current() != ']' || !InSubstitution()) return false;
        ++m_at;
        Pop();
        return true;
    }

    void CommandStart() {
        const char c = Current();
        if (IsSpace(c) || IsCommandEnd(c)) {
            ++m_at;
        } else if (c == '\\' && Has(1) && Ahead(1) == '\n') {
            m_at += 2;
        } else if (c == '#') {
            Here() = Place::Comment;
            ++m_at;
        } else if (!ClosesSubstitution()) {
            Here() = Place::WordStart;
        }
    }

    // A comment runs to a line end that no backslash escapes, brackets and braces included.
    void Comment() {
        const char c = Current();
        if (c == '\\') {
            SkipEscape();
        } else {
            if (c == '\n') Here() = Place::CommandStart;
            ++m_at;
        }
    }

    void WordStart() {
        const char c = Current();
        if (IsSpace(c)) {
            ++m_at;
        } else if (IsCommandEnd(c)) {
            Here() = Place::CommandStart;
            ++m_at;
        } else if (c == '\\' && Has(1) && Ahead(1) == '\n') {
            m_at += 2;
        } else if (ClosesSubstitution()) {
        } else if (c == '{') {
            BracedWord();
        } else if (c == '"') {
            ++m_at;
            Here() = Place::BareWord;  // what follows the closing quote
            Push(Place::QuotedWord, false);
        } else {
            Here() = Place::BareWord;
        }
    }

    // "{*}" before a word expands it; otherwise the braces are counted to their match, each open
    // brace one level, without substitution (a backslash still escapes a brace).
    void BracedWord() {
        if (Has(3) && Ahead(1) == '*' && Ahead(2) == '}' && !IsSpace(Ahead(3)) && !IsCommandEnd(Ahead(3))) {
            m_at += 3;
            return;
        }
        int open = 0;
        const int base = m_depth;
        while (m_at < m_text.size() && !m_beyond) {
            const char c = Current();
            if (c == '\\') {
                SkipEscape();
                continue;
            }
            ++m_at;
            if (c == '{') {
                ++open;
                Deepen(m_at - 1);
            } else if (c == '}' && --open == 0) {
                break;
            }
        }
        m_depth = base;
        // Tcl wants a separator after the closing brace; anything else is scanned as more word.
        Here() = Place::BareWord;
    }

    void BareWord() {
        const char c = Current();
        if (IsSpace(c)) {
            Here() = Place::WordStart;
            ++m_at;
        } else if (IsCommandEnd(c)) {
            Here() = Place::CommandStart;
            ++m_at;
        } else if (c == '\\') {
            if (Has(1) && Ahead(1) == '\n') Here() = Place::WordStart;
            SkipEscape();
        } else if (ClosesSubstitution()) {
        } else {
            Substitution();
        }
    }

    // A quoted word runs to its closing quote, an array index to the first ")", each outside a
    // command substitution.
    void RunTo(char closer) {
        const char c = Current();
        if (c == closer) {
            ++m_at;
            Pop();
        } else if (c == '\\') {
            SkipEscape();
        } else {
            Substitution();
        }
    }

    // Inside a bare word, a quoted word or an index: "[" opens a command substitution, "$" a
    // variable; anything else is a plain character.
    void Substitution() {
        const char c = Current();
        if (c == '[') {
            Push(Place::CommandStart, true);
            ++m_at;
        } else if (c == '$') {
            ++m_at;
            Variable();
        } else {
            ++m_at;
        }
    }

    // "${name}" runs to the first "}"; "$name(" opens an index. A name is letters, digits and
    // underscores (Tcl looks at the low byte of a character's code point) and runs of two or more
    // colons; a "$" before anything else is a plain character.
    void Variable() {
        if (m_at < m_text.size() && Current() == '{') {
            const std::size_t close = m_text.find('}', m_at);
            m_at = close == std::string_view::npos ? m_text.size() : close + 1;
            return;
        }
        while (m_at < m_text.size()) {
            if (Current() == ':' && Has(1) && Ahead(1) == ':') {
                while (m_at < m_text.size() && Current() == ':') ++m_at;
                continue;
            }
            std::size_t length = 0;
            if (!IsAsciiAlnum(LowByteOfCharacter(length)) && Current() != '_') break;
            m_at += length;
        }
        if (m_at < m_text.size() && Current() == '(') {
            Push(Place::ArrayIndex, true);
            ++m_at;
        }
    }

    // The low byte of the code point of the UTF-8 character at the scanner, and its length.
    unsigned char LowByteOfCharacter(std::size_t& length) const {
        const unsigned char lead = static_cast<unsigned char>(Current());
        if (lead < 0x80) {
            length = 1;
            return lead;
        }
        length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        if (m_at + length > m_text.size()) length = 1;
        unsigned int code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t i = 1; i < length; ++i) code = (code << 6) | (static_cast<unsigned char>(Ahead(i)) & 0x3F);
        return static_cast<unsigned char>(code & 0xFF);
    }

    std::string_view m_text;
    int m_limit;
    std::size_t m_at = 0;
    int m_depth = 0;
    std::vector<Frame> m_stack;
    bool m_beyond = false;
    std::size_t m_beyondAt = 0;
};

}  // namespace

std::optional<std::size_t> FirstOffsetBeyondNesting(std::string_view script, int limit) {
    return Scanner(script, limit).Run();
}

}  // namespace appmgr
