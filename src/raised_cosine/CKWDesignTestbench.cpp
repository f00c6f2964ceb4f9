// Testbench of the raised-cosine generator: writes kw_psd.m into the output directory, then the
// script body (coefficients, stimulus, spectra, comparison with rcosflt) into the script stream.
#include <sstream>

#include "fir/CoreStructures.h"
#include "raised_cosine/CKWDesign.h"
#include "raised_cosine/TestbenchScript.h"

namespace kw {

void CKWDesign::WriteTestbench() {
    // The script prints the same double-precision coefficients the core was built from, so the
    // design runs again here with the core's arguments on a copy of its own.
    rcos::TestbenchInputs inputs;
    inputs.normalized = DesignCoefficients().normalized;
    inputs.fs = m_Fs;
    inputs.fd = m_Fd;
    inputs.r = m_R;
    inputs.delay = m_Delay;
    inputs.type = m_Type;
    inputs.fsFlag = m_FsFlag;
    inputs.channels = m_NumChannels;
    inputs.ibits = m_IBITS;
    inputs.ifbits = m_IFBITS;
    inputs.obitsAuto = m_ObitsAuto;
    inputs.ratio = OversamplingRatio();
    inputs.functionName = m_functionName;

    WriteToFile(rcos::KwPsdText(), "kw_psd.m");

    // qin as the core declares it.
    std::ostringstream declaration;
    fir::WriteFormatDeclaration(declaration, "qin", fir::LimitToDouble({m_IBITS, m_IFBITS}));
    inputs.qinDeclaration = declaration.str();

    rcos::WriteTestbenchScript(m_scriptStream, inputs);
}

}  // namespace kw
