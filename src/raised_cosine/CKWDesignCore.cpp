// Core function body of the raised-cosine generator: designs and quantises the coefficients,
// sets the four fixed-point formats, writes the input section, the quantizer declarations and
// the structure text, and the project's directives.
#include <stdexcept>
#include <vector>

#include "raised_cosine/CKWDesign.h"
#include "raised_cosine/CoefficientDesign.h"
#include "fir/CoreStructures.h"
#include "fir/PowerOfTwo.h"

namespace kw {

namespace {

bool StartsWith(const std::string& text, char first) { return !text.empty() && text[0] == first; }

}  // namespace

bool CKWDesign::IsMultiChannelSharedTransposed() const {
    return m_NumChannels > 1 && StartsWith(m_Form, 'T') && m_ResourceShared == "yes";
}

rcos::QuantizedCoefficients CKWDesign::DesignCoefficients() const {
    const std::vector<double> raw = rcos::DesignImpulseResponse(static_cast<double>(m_R), OversamplingRatio(),
                                                                TapCount(), StartsWith(m_Type, 's'));
    return rcos::NormalizeAndQuantize(raw, m_CBITS);
}

fir::CoreModel CKWDesign::DesignCoreModel() {
    const rcos::QuantizedCoefficients coefficients = DesignCoefficients();
    if (m_ObitsAuto < 0 || m_OfbitsAuto < 0) {
        const rcos::OutputLengths lengths =
            rcos::DeriveOutputLengths(coefficients.normalized, m_OBITS, m_OFBITS, m_ObitsAuto, m_OfbitsAuto, m_IBITS,
                                      m_IFBITS, m_CBITS, m_Trunc);
        m_OBITS = lengths.obits;
        m_OFBITS = lengths.ofbits;
    }
    fir::CoreSpec spec;
    spec.q = coefficients.q;
    spec.symmetry = rcos::ClassifySymmetry(coefficients.q);
    spec.channels = m_NumChannels;
    spec.form = StartsWith(m_Form, 'T') ? fir::Form::Transposed : fir::Form::Direct;
    spec.sharing = StartsWith(m_ResourceShared, 'n') ? fir::Sharing::FullyParallel : fir::Sharing::ResourceShared;
    spec.multiplierFree = StartsWith(m_NoMults, 'y');
    if (spec.multiplierFree) spec.powerOfTwo = fir::DecomposePowerOfTwo(coefficients.q, m_CBITS);
    spec.zeroStuffing = StartsWith(m_FsFlag, 'n');
    spec.ratio = OversamplingRatio();
    fir::CoreWordLengths& lengths = spec.lengths;
    lengths.ibits = m_IBITS;
    lengths.ifbits = m_IFBITS;
    lengths.obits = m_OBITS;
    lengths.ofbits = m_OFBITS;
    lengths.cbits = m_CBITS;
    lengths.coefFracBits = m_CoefFracBits;
    lengths.trunc = m_Trunc;
    lengths.scaleExp = m_ScaleExp;
    lengths.coefSumIntegerBits = rcos::CoefficientSumIntegerBits(coefficients.normalized);
    return fir::MakeCoreModel(spec);
}

void CKWDesign::GenerateCore() { fir::WriteCoreBody(m_coreStream, DesignCoreModel()); }

void CKWDesign::FinishCore() {}

void CKWDesign::WriteDirectives() {
    m_projectDirectivesStream << "SetDirective -designfunction {for n." << m_functionName << "}\n"
                              << "SetDirective -stream {for n}\n";
}

}  // namespace kw
