// The checks of a raised-cosine request, in their order, first refusal wins: the hardware's word
// lengths, then the filter's rate ratio, roll-off, delay and size, then the combinations the
// structures cannot take. Each refusal is a kw::ParameterError with its fixed text.
#include <cmath>
#include <cstdint>
#include <string>

#include "host/Failure.h"
#include "raised_cosine/GenerateRequest.h"

namespace rcos {

namespace {

constexpr const char* kChannelsBelowOne = "Invalid Parameter: Number of channels must be greater than zero.";
constexpr const char* kTooManyChannels =
    "Invalid Parameter: Number of channels is limited to at most 1024 (interleaved channels of one core).";
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
constexpr const char* kChannelsWithSymbolRateInput =
    "Invalid Parameter: Multiple channels are not currently supported with FsFlag equal to no.";
// Several channels cannot share one multiplier in the transposed form.
constexpr const char* kMultiChannelSharedTransposed =
    "Multi-Channel/Resource Shared Transposed form filters are not currently supported.";

constexpr int kMinRatio = 2;
constexpr int kMaxRatio = 8;
constexpr std::int64_t kMaxTaps = 511;
// Single-precision inputs carry a relative error of 2^-24 each; this allows a few of those.
constexpr double kRatioTolerance = 1e-6;

constexpr const char* kShiftAddShared =
    "Invalid Parameter: -hdl_products shiftadd needs a fully parallel core (a resource-shared core's coefficient "
    "changes from clock to clock, so it keeps real multipliers).";
constexpr const char* kShiftAddPolyphase =
    "Invalid Parameter: -hdl_products shiftadd on a core fed at the symbol rate (-fs_flag no) needs the "
    "transposed form (-form Transposed): the direct polyphase interpolator's coefficients change with the phase, "
    "so it keeps real multipliers; the transposed one takes every product of the symbol from one adder graph.";
constexpr const char* kMultipliersParallel =
    "Invalid Parameter: -hdl_multipliers applies to resource-shared cores (a fully parallel core has a product "
    "for every tap).";
constexpr const char* kCoefScaleMultiplierFree =
    "Invalid Parameter: -coef_scale max cannot be used with -no_mults yes (the two-term coefficients are not "
    "scaled).";
constexpr const char* kStopbandBeyondNyquist =
    "Invalid Parameter: -stopband_from must lie above 0 and at most at Fs/2.";

void Refuse(bool refused, const char* message) {
    if (refused) throw kw::ParameterError(message);
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

void CheckImplementation(const GenerateRequest& r) {
    Refuse(r.channels < 1, kChannelsBelowOne);
    // Checked before anything is sized by the channel count: the delay line, the simulator's
    // state, the testbench's sample count and the Verilog all grow with it.
    Refuse(r.channels > kMaxChannels, kTooManyChannels);
    Refuse(r.obits && (*r.obits > 32 || *r.obits < 4), kObitsRange);
    Refuse(r.obits && r.ofbits && *r.ofbits >= *r.obits, kOfbitsNotBelowObits);
    Refuse(r.ibits > 32 || r.ibits < 3, kIbitsRange);
    Refuse(r.ifbits >= r.ibits || r.ifbits < 0, kIfbitsNotBelowIbits);
    Refuse(r.cbits > 20 || r.cbits < 6, kCbitsRange);
    Refuse(r.trunc > r.cbits - 1 || r.trunc < 0, kTruncRange);
}

RequestSizes CheckFilter(const GenerateRequest& r) {
    const int ratio = OversamplingRatioOf(r.fs, r.fd);
    Refuse(ratio == 0, kRatioNotAdmitted);
    // Written so that NaN is refused as well.
    Refuse(!(r.rollOff > 0.0f && r.rollOff <= 1.0f), kRollOffRange);
    Refuse(r.delay < 1, kDelayBelowOne);
    // 64-bit: a huge delay must be refused, not wrap around.
    const std::int64_t taps = 1 + 2 * static_cast<std::int64_t>(r.delay) * ratio;
    Refuse(taps > kMaxTaps, kTooManyTaps);
    Refuse(r.channels > 1 && r.inputRate == InputRate::SymbolRate, kChannelsWithSymbolRateInput);
    Refuse(r.channels > 1 && r.form == fir::Form::Transposed && r.sharing == fir::Sharing::ResourceShared,
           kMultiChannelSharedTransposed);
    return {ratio, static_cast<int>(taps)};
}

// This run's hardware and arithmetic options against the structure they would act on.
void CheckOptionsAgainstStructure(const GenerateRequest& r) {
    const kw::HardwareOptions& hardware = r.common.hardware;
    const bool shared = r.sharing == fir::Sharing::ResourceShared;
    Refuse(hardware.products == kw::HdlProducts::ShiftAdd && shared, kShiftAddShared);
    Refuse(hardware.products == kw::HdlProducts::ShiftAdd && r.inputRate == InputRate::SymbolRate &&
               r.form == fir::Form::Direct,
           kShiftAddPolyphase);
    Refuse(hardware.multipliers.has_value() && !shared, kMultipliersParallel);
    Refuse(r.common.arithmetic.coefScale == kw::CoefScale::Max && r.multiplierFree, kCoefScaleMultiplierFree);
    const std::optional<double> stopband = r.common.report.stopbandFrom;
    Refuse(stopband && !(*stopband <= static_cast<double>(r.fs) / 2), kStopbandBeyondNyquist);
}

}  // namespace

RequestSizes CheckGenerateRequest(const GenerateRequest& request) {
    CheckImplementation(request);
    const RequestSizes sizes = CheckFilter(request);
    CheckOptionsAgainstStructure(request);
    return sizes;
}

}  // namespace rcos
