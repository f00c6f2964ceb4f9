// From a checked request to the core: the coefficient design (sampled response, unit peak gain,
// rounding), the output lengths when they are derived, the multiplier-free form of the taps, and
// the fir::CoreModel that every writer and the simulator read. Designed once per request.
#pragma once

#include <ostream>
#include <vector>

#include "fir/CoreModel.h"
#include "raised_cosine/GenerateRequest.h"

namespace rcos {

struct CoreDesign {
    std::vector<double> normalized;  // the double-precision taps the integers were rounded from
    fir::CoreModel model;
};

// The output quantizer's modes of a run: those given, else floor and wrap, the modes every core
// declared before the options existed (the project's default modes reach the ports' quantizers,
// never the core's own formats).
struct OutputModes {
    fir::OutputRounding rounding = fir::OutputRounding::Floor;
    fir::OutputOverflow overflow = fir::OutputOverflow::Wrap;
};
OutputModes ResolveOutputModes(const kw::ArithmeticOptions& options);

// "% options: -output_round convergent -coef_scale max" and a line break: the arithmetic options
// a run was given, so that the core can be rebuilt from its file; nothing for a run given none.
void WriteArithmeticOptionsLine(std::ostream& out, const kw::ArithmeticOptions& options);

// The design of a request that passed its checks (MakeGenerateRequest). Pure and deterministic:
// the same request gives the same design, bit for bit.
CoreDesign DesignCore(const GenerateRequest& request);

// The one entry point from a request to its core model: DesignCore(request).model.
fir::CoreModel DesignCoreModel(const GenerateRequest& request);

}  // namespace rcos
