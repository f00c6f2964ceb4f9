// Core function body of the raised-cosine generator: designs and quantises the coefficients,
// sets the four fixed-point formats, writes the input section, the quantizer declarations and
// the structure text, and the project's directives.
#include <stdexcept>
#include <vector>

#include "raised_cosine/CKWDesign.h"
#include "raised_cosine/CoefficientDesign.h"
#include "raised_cosine/CoreStructures.h"

namespace kw {

namespace {

bool StartsWith(const std::string& text, char first) { return !text.empty() && text[0] == first; }

void SetSignedFloorWrap(Quantizer& q, const rcos::FixedFormat& format) {
    q.SetSigned(true);
    q.SetRoundMode(kFloor);
    q.SetOverflowMode(kWrap);
    q.SetWordLength(format.word);
    q.SetFractionalLength(format.fraction);
}

}  // namespace

bool CKWDesign::IsMultiChannelSharedTransposed() const {
    return m_NumChannels > 1 && StartsWith(m_Form, 'T') && m_ResourceShared == "yes";
}

rcos::QuantizedCoefficients CKWDesign::DesignCoefficients() const {
    const std::vector<double> raw = rcos::DesignImpulseResponse(static_cast<double>(m_R), OversamplingRatio(),
                                                                TapCount(), StartsWith(m_Type, 's'));
    return rcos::NormalizeAndQuantize(raw, m_CBITS);
}

void CKWDesign::GenerateCore() {
    const int ratio = OversamplingRatio();
    const bool transposed = StartsWith(m_Form, 'T');
    const bool multiplierFree = StartsWith(m_NoMults, 'y');
    const bool zeroStuffing = StartsWith(m_FsFlag, 'n');

    // Coefficients, and the output lengths when they are "auto".
    const rcos::QuantizedCoefficients coefficients = DesignCoefficients();
    rcos::CoreLayout layout;
    layout.tapCount = TapCount();
    layout.channels = m_NumChannels;
    layout.symmetry = rcos::ClassifySymmetry(coefficients.q);
    layout.q = coefficients.q;
    layout.cbits = m_CBITS;
    layout.transposed = transposed;
    layout.multiplierFree = multiplierFree;
    layout.fullyParallel = StartsWith(m_ResourceShared, 'n');
    layout.scaleExp = m_ScaleExp;
    if (m_ObitsAuto < 0 || m_OfbitsAuto < 0) {
        const rcos::OutputLengths lengths =
            rcos::DeriveOutputLengths(coefficients.normalized, m_OBITS, m_OFBITS, m_ObitsAuto, m_OfbitsAuto, m_IBITS,
                                      m_IFBITS, m_CBITS, m_Trunc);
        m_OBITS = lengths.obits;
        m_OFBITS = lengths.ofbits;
    }

    // Formats of the input, output, products and coefficients.
    rcos::CoreWordLengths lengths;
    lengths.ibits = m_IBITS;
    lengths.ifbits = m_IFBITS;
    lengths.obits = m_OBITS;
    lengths.ofbits = m_OFBITS;
    lengths.cbits = m_CBITS;
    lengths.coefFracBits = m_CoefFracBits;
    lengths.trunc = m_Trunc;
    lengths.scaleExp = m_ScaleExp;
    lengths.coefSumIntegerBits = rcos::CoefficientSumIntegerBits(coefficients.normalized);
    const rcos::CoreFormats formats = rcos::DeriveCoreFormats(lengths);
    SetSignedFloorWrap(qin, formats.in);
    SetSignedFloorWrap(qout, formats.out);
    SetSignedFloorWrap(qmult, formats.mult);
    if (multiplierFree) layout.powerOfTwo = rcos::DecomposePowerOfTwo(coefficients.q, m_CBITS);

    rcos::WriteInputSection(m_coreStream, zeroStuffing, ratio, rcos::CounterBits(ratio));
    SetSignedFloorWrap(qcoef, formats.coef);

    if (IsMultiChannelSharedTransposed()) throw std::runtime_error(kMultiChannelSharedTransposed);

    // Coefficient values are dyadic fractions: 32 significant digits print them exactly.
    m_coreStream.precision(32);
    qin.WriteDeclaration(m_coreStream, "qin");
    qout.WriteDeclaration(m_coreStream, "qout");
    qmult.WriteDeclaration(m_coreStream, "qmult");
    qcoef.WriteDeclaration(m_coreStream, "qcoef");
    rcos::WriteStructure(m_coreStream, layout);
}

void CKWDesign::FinishCore() {}

void CKWDesign::WriteDirectives() {
    m_projectDirectivesStream << "SetDirective -designfunction {for n." << m_functionName << "}\n"
                              << "SetDirective -stream {for n}\n";
}

}  // namespace kw
