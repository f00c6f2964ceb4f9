// The design report of a raised-cosine core: what the core does (response, interference, error)
// and what it costs (structure, formats, resources), as figures for scripts and as text for people.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "fir/CoreModel.h"
#include "verilog/HardwareTiming.h"

namespace rcos {

// What the coefficient design started from: the family, roll-off, samples per symbol and the
// designed double-precision taps (normalised, one per tap of the core).
struct RaisedCosineDesign {
    bool rootRaisedCosine = false;
    double rollOff = 0;
    int ratio = 2;
    std::vector<double> designed;
    std::optional<double> stopbandFrom;  // in units of Fd; none: the edge (1+R)/2
};

// Samples of the uniform full-range input the fixed-point error is measured with.
inline constexpr int kErrorSamples = 16384;

struct DesignReport {
    int taps = 0;
    int nonzeroTaps = 0;
    int symmetry = 0;  // 1 symmetric, -1 equal magnitudes, 0 none
    int latencyCalls = 0;
    fir::ResourceCounts counts;
    fir::FixedFormat formatIn, formatCoef, formatMult, formatOut;
    double tapErrorLsb = 0;
    double tapErrorMax = 0;  // the same as a value: comparable across coefficient scalings
    int peakTapBits = 0;
    double passbandRippleDb = 0;
    double stopbandDb = 0;
    double passbandRippleDbDesigned = 0;
    double stopbandDbDesigned = 0;
    double isiDb = 0;
    double idealDeviationDb = 0;
    double maxErrorLsb = 0;
    double sqnrDb = 0;
    double errorBoundLsb = 0;
    int outputHeadroomBits = 0;  // negative: the worst-case input overflows the output word
    // With -hdl verilog: clocks_per_sample, latency_clocks and hardware_multipliers of the core's Verilog.
    std::optional<fir::HardwareTiming> hardware;
};

// Every figure of the core's model and its design; the error measurement's input comes from seed.
DesignReport MakeDesignReport(const fir::CoreModel& model, const RaisedCosineDesign& design, std::uint64_t seed);

// One figure: its key, its value as text (a format is the list "word fraction") and its unit.
struct ReportEntry {
    std::string key;
    std::string value;
    std::string unit;
};

// The figures in their fixed order: taps ... error_bound_lsb, then clocks_per_sample,
// latency_clocks and hardware_multipliers when the report has the hardware's timing (a polyphase
// core's hardware multiplies fewer products than the MATLAB core's statements).
std::vector<ReportEntry> ReportEntries(const DesignReport& report);

// The report file: a title line, then one figure per line: key, value, unit.
void WriteReportText(std::ostream& out, const DesignReport& report, const std::string& title);

// One line for the shell: taps, stop-band, ISI, SQNR and multipliers.
std::string ReportSummary(const DesignReport& report);

}  // namespace rcos
