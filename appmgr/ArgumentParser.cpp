// Parses "-switch value" words for one command call. A boolean switch takes the next word only
// when that word is a boolean literal; every other switch needs a value, and a value that names
// another switch of the command counts as missing (so "-name -project" is refused).
#include "ArgumentParser.h"

#include <cctype>
#include <climits>

#include "TclRuntime.h"

namespace appmgr {
namespace {

std::string TextOf(Tcl_Obj* word) { return Tcl_GetString(word); }

bool LooksLikeSwitch(const std::string& word) {
    return word.size() > 1 && word[0] == '-' && std::isalpha(static_cast<unsigned char>(word[1]));
}

CCmdParameter* FindParameter(const std::vector<CCmdParameter*>& parameters, const std::string& switchName) {
    for (CCmdParameter* parameter : parameters) {
        if (parameter->GetSwitchName() == switchName) {
            return parameter;
        }
    }
    return nullptr;
}

std::string ChoiceText(const CCmdParameter& parameter) {
    std::string text;
    for (int i = 0; i < parameter.GetNumSelections(); ++i) {
        text += (i == 0 ? "" : ", ") + parameter.GetSelection(i);
    }
    return text;
}

std::string Expected(const CCmdParameter& parameter) {
    switch (parameter.GetKind()) {
    case CCmdParameter::Kind::Integer: return "a decimal integer from -2147483648 to 2147483647";
    case CCmdParameter::Kind::Float: return "a floating-point number";
    case CCmdParameter::Kind::Boolean: return "a boolean";
    case CCmdParameter::Kind::StringSelection: return "one of " + ChoiceText(parameter);
    case CCmdParameter::Kind::String: return "a string";
    case CCmdParameter::Kind::FileOut: return "a file name";
    }
    return "a value";
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Integers are read in decimal whatever their spelling: "010" is ten, while "0x10", "0b1", "1e3"
// and "16abc" are no integers. Blanks around the number are allowed, as everywhere in Tcl.
bool DecimalInt(const std::string& text, int& value) {
    std::size_t at = 0;
    std::size_t end = text.size();
    while (at < end && IsBlank(text[at])) ++at;
    while (end > at && IsBlank(text[end - 1])) --end;
    const bool negative = at < end && text[at] == '-';
    if (at < end && (text[at] == '-' || text[at] == '+')) ++at;
    if (at == end) return false;
    long long magnitude = 0;
    for (; at < end; ++at) {
        if (text[at] < '0' || text[at] > '9') return false;
        magnitude = magnitude * 10 + (text[at] - '0');
        if (magnitude > static_cast<long long>(INT_MAX) + 1) return false;
    }
    const long long signedValue = negative ? -magnitude : magnitude;
    if (signedValue > INT_MAX) return false;
    value = static_cast<int>(signedValue);
    return true;
}

bool IsBooleanLiteral(Tcl_Obj* word) {
    int value = 0;
    return Tcl_GetBooleanFromObj(nullptr, word, &value) == TCL_OK;
}

bool IsValid(const CCmdParameter& parameter, Tcl_Obj* value) {
    switch (parameter.GetKind()) {
    case CCmdParameter::Kind::Integer: {
        int number = 0;
        return DecimalInt(TextOf(value), number);
    }
    case CCmdParameter::Kind::Float: {
        double number = 0.0;
        return Tcl_GetDoubleFromObj(nullptr, value, &number) == TCL_OK;
    }
    case CCmdParameter::Kind::Boolean: return IsBooleanLiteral(value);
    case CCmdParameter::Kind::StringSelection: {
        const std::string text = TextOf(value);
        for (int i = 0; i < parameter.GetNumSelections(); ++i) {
            if (parameter.GetSelection(i) == text) {
                return true;
            }
        }
        return false;
    }
    case CCmdParameter::Kind::String:
    case CCmdParameter::Kind::FileOut: return true;
    }
    return false;
}

// An integer goes to the handler as the number it was read as, so no later reading can take
// "010" for octal; every other value goes as it was given.
CTclDataObj Delivered(const CCmdParameter& parameter, Tcl_Obj* value) {
    int number = 0;
    if (parameter.GetKind() == CCmdParameter::Kind::Integer && DecimalInt(TextOf(value), number)) {
        return CTclDataObj(number);
    }
    return CTclDataObj(value);
}

// Consumes the words that follow a switch nobody declared: its value too, when it has one.
size_t SkipUnknown(const std::vector<Tcl_Obj*>& words, size_t index) {
    if (index + 1 < words.size() && !LooksLikeSwitch(TextOf(words[index + 1]))) {
        return index + 2;
    }
    return index + 1;
}

void DeliverDefaults(const std::vector<CCmdParameter*>& parameters, CCmdArguments& arguments) {
    for (const CCmdParameter* parameter : parameters) {
        if (parameter->GetKind() != CCmdParameter::Kind::Boolean && parameter->HasDefault() &&
            arguments.Find(parameter->GetSwitchName()) == nullptr) {
            arguments.Set(parameter->GetSwitchName(), CTclDataObj(parameter->GetDefaultValue()));
        }
    }
}

}  // namespace

bool CheckValue(const CCmdParameter& parameter, Tcl_Obj* value, std::string& error) {
    if (IsValid(parameter, value)) {
        return true;
    }
    error = "invalid value \"" + TextOf(value) + "\" for switch " + parameter.GetSwitchName() + ": expected " +
            Expected(parameter);
    return false;
}

bool ParseArguments(const CAppCommand& command, const std::vector<Tcl_Obj*>& words, CCmdArguments& arguments,
                    std::string& error) {
    const std::vector<CCmdParameter*> parameters = command.GetAllParameters();
    size_t index = 0;
    while (index < words.size()) {
        const std::string word = TextOf(words[index]);
        CCmdParameter* parameter = FindParameter(parameters, word);
        if (parameter == nullptr) {
            if (command.IgnoresUnknownArgs()) {
                index = SkipUnknown(words, index);
                continue;
            }
            error = (LooksLikeSwitch(word) ? "unknown switch \"" : "unexpected argument \"") + word + "\" for " +
                    command.GetName() + "; \"" + command.GetName() + " -help\" lists its switches";
            return false;
        }
        const bool hasNext = index + 1 < words.size();
        if (parameter->GetKind() == CCmdParameter::Kind::Boolean) {
            const bool takesNext = hasNext && IsBooleanLiteral(words[index + 1]) &&
                                   !LooksLikeSwitch(TextOf(words[index + 1]));
            arguments.Set(word, takesNext ? CTclDataObj(words[index + 1]) : CTclDataObj(1));
            index += takesNext ? 2 : 1;
            continue;
        }
        if (!hasNext || FindParameter(parameters, TextOf(words[index + 1])) != nullptr) {
            error = "missing value for switch " + word + ": expected " + Expected(*parameter);
            return false;
        }
        if (!CheckValue(*parameter, words[index + 1], error)) {
            return false;
        }
        arguments.Set(word, Delivered(*parameter, words[index + 1]));
        index += 2;
    }
    DeliverDefaults(parameters, arguments);
    return true;
}

}  // namespace appmgr
