// rcosflt::Simulate: the request's core run bit-true on a list of input integers. The list is read
// element by element through the host's list interface (no text round trip), each element checked
// to be an integer of the input format; the answer is a list of output integers, one per input.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "fir/CoreSimulator.h"
#include "host/CommandArguments.h"
#include "host/Failure.h"
#include "plugin/CKWDesignCallBack.h"
#include "raised_cosine/CKWDesign.h"

namespace kw {

namespace {

constexpr const char* kInputSwitch = "-input";

[[noreturn]] void RefuseElement(int index, const std::string& text, const std::string& why) {
    throw ParameterError("Invalid Parameter: -input element " + std::to_string(index) + " (\"" + text +
                             "\", counting from 0) " + why);
}

bool IsBlank(const std::string& text) { return text.find_first_not_of(" \t\r\n\v\f") == std::string::npos; }

// The host reads a value that is not an integer as 0, so a 0 is taken only when its text is an
// integer spelling of zero (decimal, or 0x/0o/0b with zero digits).
bool IsIntegerZeroText(const std::string& text) {
    std::size_t i = text.find_first_not_of(" \t\r\n");
    if (i == std::string::npos) return false;
    if (text[i] == '+' || text[i] == '-') ++i;
    if (i + 1 < text.size() && text[i] == '0' && std::string("xXoObB").find(text[i + 1]) != std::string::npos) i += 2;
    const std::size_t digits = i;
    while (i < text.size() && text[i] == '0') ++i;
    return i > digits && IsBlank(text.substr(i));
}

// Whether a number's text is written as a floating-point value rather than an integer.
bool HasFloatSpelling(const std::string& text) {
    const bool hex = text.find("0x") != std::string::npos || text.find("0X") != std::string::npos;
    return text.find_first_of(hex ? "." : ".eEnN") != std::string::npos;
}

// Element index of the list as an input integer in [lo, hi]; refuses with the index otherwise.
std::int64_t InputSample(const CTclDataObj& element, int index, std::int64_t lo, std::int64_t hi) {
    const int value = element.GetIntValue();
    const double number = element.GetDoubleValue();
    if (static_cast<double>(value) == number && (value != 0 || IsIntegerZeroText(element.GetStringValue()))) {
        if (value < lo || value > hi)
            RefuseElement(index, element.GetStringValue(),
                          "is outside the input range " + std::to_string(lo) + " to " + std::to_string(hi) + ".");
        return value;
    }
    const std::string text = element.GetStringValue();
    // An integer beyond the host's int reads as a double with an integral value.
    if (std::isfinite(number) && std::floor(number) == number && number != 0.0 && !HasFloatSpelling(text))
        RefuseElement(index, text, "is outside the input range " + std::to_string(lo) + " to " + std::to_string(hi) + ".");
    RefuseElement(index, text, "is not an integer.");
}

std::vector<std::int64_t> InputSamples(const CCmdArguments* arguments, const fir::FixedFormat& in) {
    const CTclDataObj* list = FindArgument(arguments, kInputSwitch);
    if (list == nullptr) throw ParameterError("Invalid Parameter: -input is required: a list of input integers.");
    const int count = list->GetNumElements();
    if (count == 0 && !IsBlank(list->GetStringValue()))
        throw ParameterError("Invalid Parameter: -input is not a list of integers.");
    const std::int64_t hi = (std::int64_t{1} << (in.word - 1)) - 1;
    const std::int64_t lo = -hi - 1;
    std::vector<std::int64_t> samples;
    samples.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) samples.push_back(InputSample(list->GetElement(i), i, lo, hi));
    return samples;
}

// Output integers of a word of at most 32 bits are host integers; wider ones go as decimal text.
CTclDataObj OutputList(const std::vector<std::int64_t>& outputs, const fir::FixedFormat& out) {
    CTclDataObj list;
    list.MakeList();
    const bool fitsInt = out.word <= 32;
    for (const std::int64_t y : outputs) {
        if (fitsInt) list.AppendAsListElement(static_cast<int>(y));
        else list.AppendAsListElement(std::to_string(y));
    }
    return list;
}

}  // namespace

int CKWDesignCallBack::Simulate(CCmdArguments* arguments, CTclResultObj* result) {
    return RunGuarded(result, [&] {
        const fir::CoreModel model = CheckedRequest(arguments).DesignCoreModel();
        const std::vector<std::int64_t> inputs = InputSamples(arguments, model.in);
        fir::CoreSimulator simulator(model);
        *result = OutputList(simulator.Run(inputs), model.out);
    });
}

}  // namespace kw
