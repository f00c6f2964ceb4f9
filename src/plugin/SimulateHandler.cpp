// rcosflt::Simulate: the request's core run bit-true on a list of input integers. The list is read
// element by element through the host's list interface (no text round trip), each element checked
// to be an integer of the input format; the answer is a list of output integers, one per input.
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

// An element's text read in decimal, as every integer switch is: "010" is ten, while "0x10",
// "0b11", "1e3" and "1.0" are no integers. Blanks around the number are allowed, as in a list.
struct DecimalReading {
    bool integer = false;
    bool tooLarge = false;  // more than an int64 holds: outside any input range
    std::int64_t value = 0;
};

DecimalReading ReadDecimal(const std::string& text) {
    constexpr const char* kBlanks = " \t\r\n\v\f";
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string::npos) return {};
    const std::size_t last = text.find_last_not_of(kBlanks);
    std::size_t at = first;
    const bool negative = text[at] == '-';
    if (text[at] == '-' || text[at] == '+') ++at;
    if (at > last) return {};
    DecimalReading reading;
    constexpr std::uint64_t kLimit = std::uint64_t{1} << 63;
    std::uint64_t magnitude = 0;
    for (; at <= last; ++at) {
        if (text[at] < '0' || text[at] > '9') return {};
        const auto digit = static_cast<std::uint64_t>(text[at] - '0');
        magnitude = magnitude > (kLimit - digit) / 10 ? kLimit + 1 : magnitude * 10 + digit;
    }
    reading.integer = true;
    reading.tooLarge = magnitude > (negative ? kLimit : kLimit - 1);
    if (!reading.tooLarge) {
        reading.value = negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
    }
    return reading;
}

// Element index of the list as an input integer in [lo, hi]; refuses with the index otherwise.
std::int64_t InputSample(const CTclDataObj& element, int index, std::int64_t lo, std::int64_t hi) {
    const std::string text = element.GetStringValue();
    const DecimalReading reading = ReadDecimal(text);
    if (!reading.integer) RefuseElement(index, text, "is not an integer.");
    if (reading.tooLarge || reading.value < lo || reading.value > hi)
        RefuseElement(index, text, "is outside the input range " + std::to_string(lo) + " to " + std::to_string(hi) + ".");
    return reading.value;
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
