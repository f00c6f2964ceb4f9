// The design of a raised-cosine core: coefficients through the mixed-radix transform, the word
// lengths the core's formats come from, and the model made of them.
#include "raised_cosine/CoreDesign.h"

#include <string>

#include "fir/OutputQuantizer.h"
#include "fir/PowerOfTwo.h"
#include "raised_cosine/CoefficientDesign.h"

namespace rcos {

namespace {

// Fraction bits the coefficients take beyond cbits-1: none for unity-gain scaling.
int ExtraCoefficientBits(const GenerateRequest& r, const std::vector<double>& normalized) {
    if (r.common.arithmetic.coefScale != kw::CoefScale::Max) return 0;
    return FullRangeExtraBits(normalized, r.cbits);
}

// With k more coefficient fraction bits a derived output keeps the products' k more fraction
// bits, as if the coefficients were k bits wider; its integer bits stay.
fir::CoreWordLengths WordLengths(const GenerateRequest& r, const std::vector<double>& normalized, int extraBits) {
    fir::CoreWordLengths n;
    n.ibits = r.ibits;
    n.ifbits = r.ifbits;
    const OutputLengths out =
        DeriveOutputLengths(normalized, r.obits, r.ofbits, r.ibits, r.ifbits, r.cbits + extraBits, r.trunc);
    n.obits = out.obits;
    n.ofbits = out.ofbits;
    n.cbits = r.cbits;
    n.coefFracBits = r.cbits - 1 + extraBits;
    n.trunc = r.trunc;
    n.scaleExp = 0;  // no power-of-two gain is split off the coefficients
    n.coefSumIntegerBits = CoefficientSumIntegerBits(normalized);
    return n;
}

fir::OutputRounding Rounding(kw::OutputRounding rounding) {
    switch (rounding) {
        case kw::OutputRounding::Floor: return fir::OutputRounding::Floor;
        case kw::OutputRounding::Round: return fir::OutputRounding::Round;
        case kw::OutputRounding::Nearest: return fir::OutputRounding::Nearest;
        case kw::OutputRounding::Convergent: return fir::OutputRounding::Convergent;
        case kw::OutputRounding::Ceil: return fir::OutputRounding::Ceil;
        case kw::OutputRounding::Fix: return fir::OutputRounding::Fix;
    }
    return fir::OutputRounding::Floor;
}

}  // namespace

OutputModes ResolveOutputModes(const kw::ArithmeticOptions& options) {
    OutputModes modes;
    if (options.outputRounding) modes.rounding = Rounding(*options.outputRounding);
    if (options.outputOverflow)
        modes.overflow = *options.outputOverflow == kw::OutputOverflow::Saturate ? fir::OutputOverflow::Saturate
                                                                                : fir::OutputOverflow::Wrap;
    return modes;
}

void WriteArithmeticOptionsLine(std::ostream& out, const kw::ArithmeticOptions& options) {
    std::string line;
    if (options.outputRounding) line += std::string(" -output_round ") + fir::RoundingName(Rounding(*options.outputRounding));
    if (options.outputOverflow)
        line += std::string(" -output_overflow ") + fir::OverflowName(ResolveOutputModes(options).overflow);
    if (options.coefScale == kw::CoefScale::Max) line += " -coef_scale max";
    if (!line.empty()) out << "% options:" << line << "\n";
}

CoreDesign DesignCore(const GenerateRequest& r) {
    const std::vector<double> raw = DesignImpulseResponse(static_cast<double>(r.rollOff), r.ratio, r.taps,
                                                          r.family == Family::RootRaisedCosine);
    QuantizedCoefficients coefficients = NormalizeAndQuantize(raw, r.cbits);
    const int extraBits = ExtraCoefficientBits(r, coefficients.normalized);
    if (extraBits > 0) coefficients.q = QuantizeTaps(coefficients.normalized, r.cbits - 1 + extraBits);
    fir::CoreDescription description;
    description.symmetry = fir::ClassifySymmetry(coefficients.q);
    description.channels = r.channels;
    description.form = r.form;
    description.sharing = r.sharing;
    description.multiplierFree = r.multiplierFree;
    if (description.multiplierFree) description.powerOfTwo = fir::DecomposePowerOfTwo(coefficients.q, r.cbits);
    description.zeroStuffing = r.inputRate == InputRate::SymbolRate;
    description.ratio = r.ratio;
    description.lengths = WordLengths(r, coefficients.normalized, extraBits);
    const OutputModes modes = ResolveOutputModes(r.common.arithmetic);
    description.outputRounding = modes.rounding;
    description.outputOverflow = modes.overflow;
    description.q = std::move(coefficients.q);
    return CoreDesign{std::move(coefficients.normalized), fir::MakeCoreModel(description)};
}

fir::CoreModel DesignCoreModel(const GenerateRequest& request) { return DesignCore(request).model; }

}  // namespace rcos
