// The raised-cosine generator's design report: the checked request's core model and coefficient
// design handed to the report's figures, for rcosflt::Report and for the -report file.
#include <cstdint>

#include "verilog/HardwareTiming.h"
#include "raised_cosine/CKWDesign.h"

namespace kw {

namespace {

constexpr int kDefaultSeed = 1;

// -seed as the generator's seed: a negative value stands for its two's complement.
std::uint64_t ReportSeed(const ReportOptions& options) {
    return static_cast<std::uint64_t>(static_cast<std::int64_t>(options.seed.value_or(kDefaultSeed)));
}

}  // namespace

rcos::DesignReport CKWDesign::MakeReport() const {
    const rcos::GenerateRequest& request = CheckedRequest();
    const rcos::CoreDesign& core = CheckedDesign();
    rcos::RaisedCosineDesign design;
    design.rootRaisedCosine = request.family == rcos::Family::RootRaisedCosine;
    design.rollOff = static_cast<double>(request.rollOff);
    design.ratio = request.ratio;
    design.designed = core.normalized;
    rcos::DesignReport report = rcos::MakeDesignReport(core.model, design, ReportSeed(Options().report));
    if (Options().hardware.verilog) report.hardware = fir::VerilogTiming(core.model, HardwareChoices());
    return report;
}

bool CKWDesign::WriteReport(std::ostream& text, std::string& summary) {
    const rcos::DesignReport report = MakeReport();
    rcos::WriteReportText(text, report, "Design report of " + m_functionName + " (KelvoWare " + GetFullName() + ")");
    summary = rcos::ReportSummary(report);
    return true;
}

}  // namespace kw
