// The raised-cosine generator's identity and ports, and its Generate steps: each one hands the
// run's request and design to a pure writer and the stream the base owns.
#include "raised_cosine/CKWDesign.h"

#include <sstream>
#include <stdexcept>

#include "fir/CoreStructures.h"
#include "fir/OutputQuantizer.h"
#include "framework/HostCalls.h"
#include "host/FilePath.h"
#include "host/Messaging.h"
#include "raised_cosine/TestbenchScript.h"

namespace kw {

CKWDesign::CKWDesign() : CKWDesignBase("rcosflt", "Raised-Cosine FIR Filter", "Raised-Cosine FIR Filter", true) {
    DeclareHiddenInputPort("-SigIn2");
    DeclareHiddenOutputPort("-SigOut");
}

void CKWDesign::ValidateFunctionalParameters() {
    m_request.reset();
    m_design.reset();
    m_request.emplace(rcos::MakeGenerateRequest(Arguments(), Options()));
    // An automatic output width derives the fraction length too: a given one is not used.
    if (m_request->ignoredOfbits) {
        const std::string params = HostListText({std::to_string(*m_request->ignoredOfbits)});
        SimpleWarn("COMMAND-0033", &params);
    }
    m_design.emplace(rcos::DesignCore(*m_request));
    CheckHardwareMultipliers(m_design->model);
    // The module takes the given name unless a project subdirectory numbers the files.
    if (Options().NameGiven() && !Options().subdirectory && Options().hardware.verilog) {
        CheckVerilogName(FilePath(Options().name).BaseName());
    }
    WarnOfOutputOverflow(m_design->model);
}

// A derived output word holds the worst case by construction; a given one may not.
void CKWDesign::WarnOfOutputOverflow(const fir::CoreModel& model) const {
    const fir::OutputHeadroom headroom = fir::WorstCaseOutput(model);
    if (!headroom.CanOverflow()) return;
    std::ostringstream magnitude;
    magnitude.precision(6);
    magnitude << headroom.WorstMagnitude(model);
    const bool saturates = model.outputOverflow == fir::OutputOverflow::Saturate;
    const std::string params = HostListText({std::to_string(model.out.word), std::to_string(model.out.fraction),
                                             magnitude.str(), std::to_string(headroom.wordNeeded),
                                             saturates ? "may saturate" : "wraps"});
    SimpleWarn("COMMAND-0041", &params);
}

const rcos::GenerateRequest& CKWDesign::CheckedRequest() const {
    if (!m_request) throw std::logic_error("rcosflt: no checked request");
    return *m_request;
}

const rcos::CoreDesign& CKWDesign::CheckedDesign() const {
    if (!m_design) throw std::logic_error("rcosflt: no designed core");
    return *m_design;
}

const fir::CoreModel& CKWDesign::DesignCoreModel() const { return CheckedDesign().model; }

void CKWDesign::GenerateCore() {
    rcos::WriteArithmeticOptionsLine(m_coreStream, CheckedRequest().common.arithmetic);
    fir::WriteCoreBody(m_coreStream, CheckedDesign().model);
}

void CKWDesign::WriteDirectives() { rcos::WriteProjectDirectives(m_projectDirectivesStream, FunctionName()); }

void CKWDesign::WriteTestbench() {
    const std::string helperName = "kw_psd.m";
    WriteToFile(rcos::KwPsdText(), helperName);
    // WriteToFile joins the name to the output directory as given, which may be relative (a
    // named core's -outdir); the Info line names it as absolutely as the core's.
    FilePath helperPath(OutputDirectory());
    helperPath.Join(helperName);
    AnnounceFile("testbench PSD helper", helperPath.AbsolutePath());
    rcos::WriteTestbenchScript(m_scriptStream, CheckedRequest(), CheckedDesign(), FunctionName());
}

}  // namespace kw
