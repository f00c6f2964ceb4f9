// The raised-cosine generator's identity and ports, and the reading and checking of its
// functional and implementation parameters. Every refusal is a std::runtime_error carrying
// its fixed message; accepted parameters leave the exact oversampling ratio and tap count.
#include "raised_cosine/CKWDesign.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <sstream>
#include <stdexcept>

#include "framework/HostCalls.h"
#include "host/AppMgr.h"
#include "host/Messaging.h"
#include "raised_cosine/TestbenchScript.h"

namespace kw {

namespace {

constexpr const char* kObitsOneParameter =
    "Invalid Parameter: Number of Output bits (OBITS) only take one parameter.";
constexpr const char* kObitsNotInteger = "Invalid Parameter: Number of Output bits (OBITS) must be a positive integer.";
constexpr const char* kOfbitsOneParameter =
    "Invalid Parameter: Number of Output bits (OFBITS) only take one parameter.";
constexpr const char* kOfbitsNotInteger =
    "Invalid Parameter: Number of Fractional Output bits (m_OFBITS) must be a positive integer.";

constexpr const char* kChannelsBelowOne = "Invalid Parameter: Number of channels must be greater than zero.";
constexpr const char* kObitsRange =
    "Invalid Parameter: Number of Output bits (OBITS) is limited to values between 4 and 32 bits.";
constexpr const char* kOfbitsNotBelowObits =
    "Invalid Parameter: Number of Fractional Output bits (OFBITS) must be less than OBITS.";
constexpr const char* kIbitsRange =
    "Invalid Parameter: Number of Input bits (IBITS) is limited to values between 3 and 32 bits.";
constexpr const char* kIfbitsNotBelowIbits =
    "Invalid Parameter: Number of Fractional Input bits (IFBITS) must be less than IBITS.";
constexpr const char* kCbitsRange =
    "Invalid Parameter: Number of bits for Coefficients (CBITS) is limited to values between 6 and 20 bits.";
constexpr const char* kTruncRange =
    "Invalid Parameter: Number of bits Truncated after multiplies (Trunc) is limited to values between 0 and "
    "(CBITS-1) bits.";

constexpr const char* kRatioNotAdmitted = "Invalid Parameter: The ratio Fs/Fs must be an integer value between [2 and 8].";
constexpr const char* kRollOffRange =
    "Invalid Parameter: The excess bandwidth factor (R) must be greater than 0 and less than or equal to 1.";
constexpr const char* kDelayBelowOne = "Invalid Parameter: The Delay parameter must be greater than 0.";
constexpr const char* kTooManyTaps =
    "Invalid Parameter: Number of taps in the filter (1+2*Delay*Fs/Fd) must be less than or equal to 511.";
constexpr const char* kDelayLineTooLong =
    "Invalid Parameter: Number of channels is too large: the delay line (channels*(taps-1)+1) must hold at most "
    "2147483647 samples.";
constexpr const char* kChannelsWithSymbolRateInput =
    "Invalid Parameter: Multiple channels are not currently supported with FsFlag equal to no.";

constexpr int kMinRatio = 2;
constexpr int kMaxRatio = 8;
constexpr std::int64_t kMaxTaps = 511;
constexpr std::int64_t kMaxDelayLine = std::numeric_limits<std::int32_t>::max();
// Single-precision inputs carry a relative error of 2^-24 each; this allows a few of those.
constexpr double kRatioTolerance = 1e-6;

void Refuse(bool refused, const char* message) {
    if (refused) throw std::runtime_error(message);
}

// A project run writes a testbench, whose sample count must stay a length MATLAB can index.
void RefuseTestbenchTooLong(const CCmdArguments* arguments, int channels, int ratio) {
    const std::int64_t samples = rcos::TestbenchSampleCount(channels, ratio);
    if (arguments == nullptr || arguments->Find("-project") == nullptr || samples <= rcos::kMaxTestbenchSamples) {
        return;
    }
    throw std::runtime_error(
        "Invalid Parameter: Number of channels is too large for the testbench: it would simulate " +
        std::to_string(samples) + " samples (256*channels*Fs/Fd), more than " +
        std::to_string(rcos::kMaxTestbenchSamples) + ".");
}

// A switch that the request does not carry reads as zero or empty, which the checks refuse.
const CTclDataObj* FindArgument(const CCmdArguments* arguments, const char* switchName) {
    return arguments != nullptr ? arguments->Find(switchName) : nullptr;
}

int IntArgument(const CCmdArguments* arguments, const char* switchName) {
    const CTclDataObj* value = FindArgument(arguments, switchName);
    return value != nullptr ? value->GetIntValue() : 0;
}

float FloatArgument(const CCmdArguments* arguments, const char* switchName) {
    const CTclDataObj* value = FindArgument(arguments, switchName);
    return value != nullptr ? value->GetFloatValue() : 0.0f;
}

std::string TextArgument(const CCmdArguments* arguments, const char* switchName) {
    const CTclDataObj* value = FindArgument(arguments, switchName);
    return value != nullptr ? value->GetStringValue() : std::string();
}

// The text of an output-length switch, which must hold one list element at most.
std::string SingleElementText(const CCmdArguments* arguments, const char* switchName, const char* tooMany) {
    const CTclDataObj* value = FindArgument(arguments, switchName);
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

// "auto" is -1; any integer-valued decimal number is taken (a negative one counts as "auto"); a
// value beyond 32 bits is kept as a width that the range check refuses.
int ParseOutputBits(const std::string& text) {
    if (text == "auto") return -1;
    Refuse(!IsDecimalNumeral(text), kObitsNotInteger);
    const double value = std::strtod(text.c_str(), nullptr);
    Refuse(std::floor(value) != value, kObitsNotInteger);
    if (!FitsInt(value)) return std::numeric_limits<int>::max();
    return static_cast<int>(value);
}

// "auto" is -1; otherwise the text must be exactly the decimal spelling of an int.
int ParseOutputFractionBits(const std::string& text) {
    if (text == "auto") return -1;
    const double value = std::strtod(text.c_str(), nullptr);
    Refuse(std::floor(value) != value || !FitsInt(value), kOfbitsNotInteger);
    const int bits = static_cast<int>(value);
    Refuse(std::to_string(bits) != text, kOfbitsNotInteger);
    return bits;
}

bool IsAdmittedRatio(double ratio) { return ratio >= kMinRatio && ratio <= kMaxRatio; }

// Samples per symbol Fs/Fd as an exact integer from 2 to 8, or 0 when the rates do not give one.
// Where the single-precision ratio (1/Fd)*Fs is exact it decides as it always has; where its
// rounding shows (Fd not a binary fraction, e.g. 3000/1000), the double quotient of the
// single-precision rates is accepted within their rounding of the nearest integer.
int OversamplingRatioOf(float fs, float fd) {
    if (!(fs > 0.0f && fd > 0.0f && std::isfinite(fs) && std::isfinite(fd))) return 0;
    const double quotient = static_cast<double>(fs) / static_cast<double>(fd);
    const float singleRatio = (1.0f / fd) * fs;
    if (static_cast<double>(singleRatio) == quotient) {
        const bool isInteger = std::floor(quotient) == quotient;
        return isInteger && IsAdmittedRatio(quotient) ? static_cast<int>(quotient) : 0;
    }
    const double nearest = std::round(quotient);
    if (!IsAdmittedRatio(nearest) || std::fabs(quotient - nearest) > kRatioTolerance * nearest) return 0;
    return static_cast<int>(nearest);
}

int DecrementWithoutOverflow(int value) {
    return value > std::numeric_limits<int>::min() ? value - 1 : value;
}

}  // namespace

CKWDesign::CKWDesign() : CKWDesignBase("rcosflt", "Raised-Cosine FIR Filter", "Raised-Cosine FIR Filter", true) {
    DeclareHiddenInputPort("-SigIn2");
    DeclareHiddenOutputPort("-SigOut");
}

void CKWDesign::ValidateFunctionalParameters() {
    m_Ratio = 0;
    m_Taps = 0;
    ParseImplementationParameters();
    const int givenOfbits = m_OFBITS;
    ReadFunctionalArguments();
    SetDerivedFields();
    ValidateImplementationParameters();
    CheckFunctionalParameters();
    // An automatic output width derives the fraction length too: a given one is not used.
    if (m_ObitsAuto < 0 && givenOfbits >= 0) {
        const std::string params = HostListText({std::to_string(givenOfbits)});
        SimpleWarn("COMMAND-0033", &params);
    }
}

void CKWDesign::ParseImplementationParameters() {
    const CCmdArguments* arguments = Arguments();
    m_NoMults = TextArgument(arguments, "-no_mults");
    m_IBITS = IntArgument(arguments, "-ibits");
    m_IFBITS = IntArgument(arguments, "-ifbits");
    m_CBITS = IntArgument(arguments, "-cbits");
    m_Trunc = IntArgument(arguments, "-trunc");
    m_Form = TextArgument(arguments, "-form");
    m_ResourceShared = TextArgument(arguments, "-resource_shared");
    m_NumChannels = IntArgument(arguments, "-number_of_channels");
    m_OBITS = ParseOutputBits(SingleElementText(arguments, "-obits", kObitsOneParameter));
    m_OFBITS = ParseOutputFractionBits(SingleElementText(arguments, "-ofbits", kOfbitsOneParameter));
}

void CKWDesign::ReadFunctionalArguments() {
    const CCmdArguments* arguments = Arguments();
    m_Fs = FloatArgument(arguments, "-fs");
    m_R = FloatArgument(arguments, "-r_val");
    m_Type = TextArgument(arguments, "-type");
    m_FsFlag = TextArgument(arguments, "-fs_flag");
    m_Delay = IntArgument(arguments, "-delay");
    m_Fd = FloatArgument(arguments, "-fd");
}

void CKWDesign::SetDerivedFields() {
    if (m_OBITS < 0) {
        // An automatic word length makes the fraction length automatic as well.
        m_OFBITS = -1;
        m_ObitsAuto = -1;
        m_OfbitsAuto = -1;
    } else {
        m_ObitsAuto = 0;
        m_OfbitsAuto = m_OFBITS < 0 ? -1 : 0;
    }
    m_CoefFracBits = DecrementWithoutOverflow(m_CBITS);
    m_ScaleExp = 0;
}

void CKWDesign::ValidateImplementationParameters() {
    Refuse(m_NumChannels < 1, kChannelsBelowOne);
    Refuse(m_OBITS > 32 || (m_OBITS >= 0 && m_OBITS < 4), kObitsRange);
    Refuse(m_OBITS > 0 && m_OFBITS >= m_OBITS, kOfbitsNotBelowObits);
    Refuse(m_IBITS > 32 || m_IBITS < 3, kIbitsRange);
    Refuse(m_IFBITS >= m_IBITS || m_IFBITS < 0, kIfbitsNotBelowIbits);
    Refuse(m_CBITS > 20 || m_CBITS < 6, kCbitsRange);
    Refuse(m_Trunc > m_CBITS - 1 || m_Trunc < 0, kTruncRange);
}

void CKWDesign::CheckFunctionalParameters() {
    const int ratio = OversamplingRatioOf(m_Fs, m_Fd);
    Refuse(ratio == 0, kRatioNotAdmitted);
    // Written so that NaN is refused as well.
    Refuse(!(m_R > 0.0f && m_R <= 1.0f), kRollOffRange);
    Refuse(m_Delay < 1, kDelayBelowOne);
    // 64-bit: a huge delay must be refused, not wrap around.
    const std::int64_t taps = 1 + 2 * static_cast<std::int64_t>(m_Delay) * ratio;
    Refuse(taps > kMaxTaps, kTooManyTaps);
    const std::int64_t delayLine = static_cast<std::int64_t>(m_NumChannels) * (taps - 1) + 1;
    Refuse(delayLine > kMaxDelayLine, kDelayLineTooLong);
    Refuse(m_NumChannels > 1 && m_FsFlag == "no", kChannelsWithSymbolRateInput);
    // Refused here as well as where the core is written, so that no file is touched for it.
    Refuse(IsMultiChannelSharedTransposed(), kMultiChannelSharedTransposed);
    RefuseTestbenchTooLong(Arguments(), m_NumChannels, ratio);

    m_Ratio = ratio;
    m_Taps = static_cast<int>(taps);
}

}  // namespace kw
