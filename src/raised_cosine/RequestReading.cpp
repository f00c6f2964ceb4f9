// Reading the raised-cosine request from the host's arguments: every switch through the host's
// accessors, the choices by their first letter, and the text rules of -obits and -ofbits, whose
// refusals come before every range check.
#include <cmath>
#include <cstdlib>
#include <limits>
#include <sstream>
#include <string>

#include "host/AppMgr.h"
#include "host/CommandArguments.h"
#include "host/Failure.h"
#include "raised_cosine/GenerateRequest.h"

namespace rcos {

namespace {

using kw::FloatArgument;
using kw::IntArgument;
using kw::TextArgument;

constexpr const char* kObitsOneParameter =
    "Invalid Parameter: Number of Output bits (OBITS) only take one parameter.";
constexpr const char* kObitsNotInteger = "Invalid Parameter: Number of Output bits (OBITS) must be a positive integer.";
constexpr const char* kOfbitsOneParameter =
    "Invalid Parameter: Number of Output bits (OFBITS) only take one parameter.";
constexpr const char* kOfbitsNotInteger =
    "Invalid Parameter: Number of Fractional Output bits (m_OFBITS) must be a positive integer.";

void Refuse(bool refused, const char* message) {
    if (refused) throw kw::ParameterError(message);
}

// A choice is told by the first letter of its text, as the generator always has; the host admits
// only the listed choices, for which every reading agrees.
bool StartsWith(const std::string& text, char first) { return !text.empty() && text[0] == first; }

// The text of an output-length switch, which must hold one list element at most.
std::string SingleElementText(const CCmdArguments* arguments, const char* switchName, const char* tooMany) {
    const CTclDataObj* value = kw::FindArgument(arguments, switchName);
    if (value == nullptr) return std::string();
    Refuse(value->GetNumElements() > 1, tooMany);
    std::ostringstream text;
    text << value->GetElement(0).GetStringValue();
    return text.str();
}

bool FitsInt(double integral) {
    return integral >= std::numeric_limits<int>::min() && integral <= std::numeric_limits<int>::max();
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Digits with an optional sign and an optional fraction ("12", "-2", "12.0"): no other radix, no
// exponent and nothing after the number.
bool IsDecimalNumeral(const std::string& text) {
    std::size_t at = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    const std::size_t digitsStart = at;
    while (at < text.size() && IsDigit(text[at])) ++at;
    if (at == digitsStart) return false;
    if (at < text.size() && text[at] == '.') {
        ++at;
        while (at < text.size() && IsDigit(text[at])) ++at;
    }
    return at == text.size();
}

// "auto" and any negative integer-valued decimal number mean "derived"; a value beyond 32 bits is
// kept as a width that the range check refuses.
std::optional<int> ParseOutputBits(const std::string& text) {
    if (text == "auto") return std::nullopt;
    Refuse(!IsDecimalNumeral(text), kObitsNotInteger);
    const double value = std::strtod(text.c_str(), nullptr);
    Refuse(std::floor(value) != value, kObitsNotInteger);
    if (!FitsInt(value)) return std::numeric_limits<int>::max();
    const int bits = static_cast<int>(value);
    return bits < 0 ? std::nullopt : std::optional<int>(bits);
}

// "auto" and negative integers mean "derived"; otherwise the text must be exactly the decimal
// spelling of an int.
std::optional<int> ParseOutputFractionBits(const std::string& text) {
    if (text == "auto") return std::nullopt;
    const double value = std::strtod(text.c_str(), nullptr);
    Refuse(std::floor(value) != value || !FitsInt(value), kOfbitsNotInteger);
    const int bits = static_cast<int>(value);
    Refuse(std::to_string(bits) != text, kOfbitsNotInteger);
    return bits < 0 ? std::nullopt : std::optional<int>(bits);
}

void ReadImplementation(const CCmdArguments* arguments, GenerateRequest& r) {
    r.multiplierFree = StartsWith(TextArgument(arguments, "-no_mults"), 'y');
    r.ibits = IntArgument(arguments, "-ibits");
    r.ifbits = IntArgument(arguments, "-ifbits");
    r.cbits = IntArgument(arguments, "-cbits");
    r.trunc = IntArgument(arguments, "-trunc");
    r.form = StartsWith(TextArgument(arguments, "-form"), 'T') ? fir::Form::Transposed : fir::Form::Direct;
    r.sharing = StartsWith(TextArgument(arguments, "-resource_shared"), 'n') ? fir::Sharing::FullyParallel
                                                                             : fir::Sharing::ResourceShared;
    r.channels = IntArgument(arguments, "-number_of_channels");
    r.obits = ParseOutputBits(SingleElementText(arguments, "-obits", kObitsOneParameter));
    r.ofbits = ParseOutputFractionBits(SingleElementText(arguments, "-ofbits", kOfbitsOneParameter));
    // A derived word length derives the fraction length as well, whatever -ofbits says.
    if (!r.obits) {
        r.ignoredOfbits = r.ofbits;
        r.ofbits.reset();
    }
}

void ReadFilter(const CCmdArguments* arguments, GenerateRequest& r) {
    r.fs = FloatArgument(arguments, "-fs");
    r.rollOff = FloatArgument(arguments, "-r_val");
    r.family = StartsWith(TextArgument(arguments, "-type"), 's') ? Family::RootRaisedCosine : Family::RaisedCosine;
    r.inputRate = StartsWith(TextArgument(arguments, "-fs_flag"), 'n') ? InputRate::SymbolRate : InputRate::SampleRate;
    r.delay = IntArgument(arguments, "-delay");
    r.fd = FloatArgument(arguments, "-fd");
}

}  // namespace

GenerateRequest ReadGenerateRequest(const CCmdArguments* arguments, const kw::CommonOptions& common) {
    GenerateRequest request;
    request.common = common;
    ReadImplementation(arguments, request);
    ReadFilter(arguments, request);
    return request;
}

GenerateRequest MakeGenerateRequest(const CCmdArguments* arguments, const kw::CommonOptions& common) {
    GenerateRequest request = ReadGenerateRequest(arguments, common);
    const RequestSizes sizes = CheckGenerateRequest(request);
    request.ratio = sizes.ratio;
    request.taps = sizes.taps;
    return request;
}

}  // namespace rcos
