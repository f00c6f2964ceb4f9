// One request of the raised-cosine generator, read once from the host's arguments into typed
// values and checked in a fixed order, each refusal with its own text. Whatever comes after the
// checks (design, writers, simulator) reads this record and never the argument texts.
#pragma once

#include <optional>

#include "fir/CoreModel.h"
#include "framework/CommonOptions.h"

class CCmdArguments;

namespace rcos {

// The filter family (-type: "sqrt" gives the root-raised cosine).
enum class Family { RaisedCosine, RootRaisedCosine };
// Where the input samples arrive (-fs_flag: "no" means at the symbol rate, and the core inserts
// ratio-1 zeros after each sample itself).
enum class InputRate { SampleRate, SymbolRate };

// The most interleaved channels one core takes; more are refused before anything is sized by them.
inline constexpr int kMaxChannels = 1024;

struct GenerateRequest {
    kw::CommonOptions common;

    // The filter.
    float fs = 0;        // output sample rate (any unit shared with fd)
    float fd = 0;        // symbol rate
    float rollOff = 0;   // excess bandwidth R, 0 < R <= 1
    Family family = Family::RaisedCosine;
    InputRate inputRate = InputRate::SampleRate;
    int delay = 0;       // symbols from the first tap to the peak

    // The hardware.
    int ibits = 0;
    int ifbits = 0;
    int cbits = 0;
    int trunc = 0;       // bits dropped after each multiply
    fir::Form form = fir::Form::Direct;
    fir::Sharing sharing = fir::Sharing::FullyParallel;
    int channels = 1;  // 1 to kMaxChannels
    std::optional<int> obits;   // none: derived ("auto", or a negative width)
    std::optional<int> ofbits;  // none: derived (always so when obits is)
    std::optional<int> ignoredOfbits;  // an -ofbits given with a derived word length: not used
    bool multiplierFree = false;

    // Exact sizes, set once the checks have passed.
    int ratio = 0;  // samples per symbol Fs/Fd, 2..8
    int taps = 0;   // 1 + 2*delay*ratio, odd, at most 511
};

// Reads every switch of the request (the texts of -obits and -ofbits are checked while they are
// read), then runs the parameter checks in their order and fills in the exact sizes. Throws
// kw::ParameterError carrying the first refusal's text. `common` is taken as the base read it.
GenerateRequest MakeGenerateRequest(const CCmdArguments* arguments, const kw::CommonOptions& common);

// The steps of MakeGenerateRequest, apart for tests: the request as read (sizes 0), and the
// checks on it, which answer the exact sizes {ratio, taps}.
GenerateRequest ReadGenerateRequest(const CCmdArguments* arguments, const kw::CommonOptions& common);
struct RequestSizes {
    int ratio = 0;
    int taps = 0;
};
RequestSizes CheckGenerateRequest(const GenerateRequest& request);

}  // namespace rcos
