// The raised-cosine FIR filter generator: reads and checks the filter's functional and
// implementation parameters, designs and quantises the coefficients, and writes the core
// function, its directives and the testbench script.
#pragma once

#include <cstdint>
#include <string>

#include "fir/CoreModel.h"
#include "framework/CKWDesignBase.h"
#include "raised_cosine/CoefficientDesign.h"
#include "raised_cosine/DesignReport.h"
#include "quantizer/Quantizer.h"

namespace kw {

// Several channels cannot share one multiplier in the transposed form.
inline constexpr const char* kMultiChannelSharedTransposed =
    "Multi-Channel/Resource Shared Transposed form filters are not currently supported.";

class CKWDesign : public CKWDesignBase {
public:
    CKWDesign();

    void ValidateFunctionalParameters() override;
    void GenerateCore() override;
    void FinishCore() override;
    void WriteDirectives() override;
    void WriteTestbench() override;
    void CheckFunctionName(const std::string& name, bool calledByTestbench) const override;
    void WriteHardware(const std::string& corePath, bool withTestbench) override;

    virtual void ValidateImplementationParameters();
    virtual void ParseImplementationParameters();

    // Exact derived sizes (valid after the checks): samples per symbol and number of taps.
    int OversamplingRatio() const { return m_Ratio; }
    int TapCount() const { return m_Taps; }

    // Designs the coefficients and resolves "auto" output lengths (valid after the checks).
    fir::CoreModel DesignCoreModel();
    // The design report of the checked request; the error measurement's input comes from -seed
    // (default 1).
    rcos::DesignReport MakeReport();
    // The report of the run's request (seed from -seed, default 1) for the -report file.
    bool WriteReport(std::ostream& text, std::string& summary) override;

protected:
    std::string m_NoMults;
    int m_CBITS = 0;
    int m_Trunc = 0;
    std::string m_Form;
    std::string m_ResourceShared;
    int m_NumChannels = 1;
    float m_Fs = 0;
    float m_R = 0;
    std::string m_Type;
    std::string m_FsFlag;
    int m_Delay = 0;
    float m_Fd = 0;

    int m_ObitsAuto = 0;
    int m_OfbitsAuto = 0;
    int m_CoefFracBits = 0;
    int m_ScaleExp = 0;

    int m_Ratio = 0;  // OversamplingRatio, set by the functional checks
    int m_Taps = 0;   // TapCount, set by the functional checks

    Quantizer qin;
    Quantizer qout;
    Quantizer qmult;
    Quantizer qcoef;
    Quantizer qspare;

    fir::CoreModel m_coreModel;  // the core of the current request, as GenerateCore designed it

private:
    void ReadFunctionalArguments();
    void SetDerivedFields();
    void CheckFunctionalParameters();
    // Several interleaved channels with the resource-shared ("yes") transposed form.
    bool IsMultiChannelSharedTransposed() const;
    // The designed response, normalised and quantised; the core and the testbench share it.
    rcos::QuantizedCoefficients DesignCoefficients() const;
};

}  // namespace kw
