// The design of a raised-cosine core: coefficients through the mixed-radix transform, the word
// lengths the core's formats come from, and the model made of them.
#include "raised_cosine/CoreDesign.h"

#include "fir/PowerOfTwo.h"
#include "raised_cosine/CoefficientDesign.h"

namespace rcos {

namespace {

fir::CoreWordLengths WordLengths(const GenerateRequest& r, const std::vector<double>& normalized) {
    fir::CoreWordLengths n;
    n.ibits = r.ibits;
    n.ifbits = r.ifbits;
    const OutputLengths out = DeriveOutputLengths(normalized, r.obits, r.ofbits, r.ibits, r.ifbits, r.cbits, r.trunc);
    n.obits = out.obits;
    n.ofbits = out.ofbits;
    n.cbits = r.cbits;
    n.coefFracBits = r.cbits - 1;
    n.trunc = r.trunc;
    n.scaleExp = 0;  // no power-of-two gain is split off the coefficients
    n.coefSumIntegerBits = CoefficientSumIntegerBits(normalized);
    return n;
}

}  // namespace

CoreDesign DesignCore(const GenerateRequest& r) {
    const std::vector<double> raw = DesignImpulseResponse(static_cast<double>(r.rollOff), r.ratio, r.taps,
                                                          r.family == Family::RootRaisedCosine);
    QuantizedCoefficients coefficients = NormalizeAndQuantize(raw, r.cbits);
    fir::CoreDescription description;
    description.symmetry = fir::ClassifySymmetry(coefficients.q);
    description.channels = r.channels;
    description.form = r.form;
    description.sharing = r.sharing;
    description.multiplierFree = r.multiplierFree;
    if (description.multiplierFree) description.powerOfTwo = fir::DecomposePowerOfTwo(coefficients.q, r.cbits);
    description.zeroStuffing = r.inputRate == InputRate::SymbolRate;
    description.ratio = r.ratio;
    description.lengths = WordLengths(r, coefficients.normalized);
    description.q = std::move(coefficients.q);
    return CoreDesign{std::move(coefficients.normalized), fir::MakeCoreModel(description)};
}

fir::CoreModel DesignCoreModel(const GenerateRequest& request) { return DesignCore(request).model; }

}  // namespace rcos
