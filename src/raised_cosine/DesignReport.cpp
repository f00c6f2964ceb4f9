// Assembling the design report from the core model and its design, and its two text forms.
#include "raised_cosine/DesignReport.h"

#include <cmath>
#include <cstdio>
#include <iomanip>

#include "fir/ErrorFigures.h"
#include "fir/TapFigures.h"
#include "raised_cosine/FrequencyFigures.h"
#include "raised_cosine/SymbolFigures.h"

namespace rcos {

namespace {

// Four decimals: enough for every figure, few enough that the last bits of a platform's libm do
// not show.
std::string Decimal(double value) {
    if (std::isinf(value)) return value < 0 ? "-Inf" : "Inf";
    if (std::isnan(value)) return "NaN";
    char text[64];
    std::snprintf(text, sizeof text, "%.4f", value);
    return text;
}

std::string Format(const fir::FixedFormat& f) { return std::to_string(f.word) + " " + std::to_string(f.fraction); }

}  // namespace

DesignReport MakeDesignReport(const fir::CoreModel& model, const RaisedCosineDesign& design, std::uint64_t seed) {
    DesignReport r;
    r.taps = model.taps;
    r.nonzeroTaps = fir::NonZeroTapCount(model);
    r.symmetry = static_cast<int>(model.symmetry);
    r.latencyCalls = model.latencyCalls;
    r.counts = model.counts;
    r.formatIn = model.in;
    r.formatCoef = model.coef;
    r.formatMult = model.mult;
    r.formatOut = model.out;
    r.tapErrorLsb = fir::TapErrorLsb(model, design.designed);
    r.peakTapBits = fir::PeakTapBits(model);

    const std::vector<double> applied = fir::AppliedTaps(model);
    const BandFigures quantized = MeasureBands(applied, design.ratio, design.rollOff);
    const BandFigures designed = MeasureBands(design.designed, design.ratio, design.rollOff);
    r.passbandRippleDb = quantized.passbandRippleDb;
    r.stopbandDb = quantized.stopbandDb;
    r.passbandRippleDbDesigned = designed.passbandRippleDb;
    r.stopbandDbDesigned = designed.stopbandDb;
    r.isiDb = IsiDb(applied, design.ratio, design.rootRaisedCosine);
    r.idealDeviationDb = IdealDeviationDb(design.designed, design.ratio, design.rollOff, design.rootRaisedCosine);

    const fir::MeasuredError error = fir::MeasureError(model, design.designed, seed, kErrorSamples);
    r.maxErrorLsb = error.maxErrorLsb;
    r.sqnrDb = error.sqnrDb;
    r.errorBoundLsb = fir::ErrorBoundLsb(model);
    return r;
}

std::vector<ReportEntry> ReportEntries(const DesignReport& r) {
    std::vector<ReportEntry> entries = {
        {"taps", std::to_string(r.taps), "taps"},
        {"nonzero_taps", std::to_string(r.nonzeroTaps), "taps"},
        {"symmetry", std::to_string(r.symmetry), "class (1 symmetric, -1 equal magnitudes, 0 none)"},
        {"latency_calls", std::to_string(r.latencyCalls),
         "calls (the response to call n's input begins in the output of call n + latency_calls)"},
        {"multipliers", std::to_string(r.counts.multipliers), "multipliers"},
        {"adders", std::to_string(r.counts.adders), "adders"},
        {"delay_registers", std::to_string(r.counts.delayRegisters), "registers"},
        {"format_in", Format(r.formatIn), "bits (word fraction)"},
        {"format_coef", Format(r.formatCoef), "bits (word fraction)"},
        {"format_mult", Format(r.formatMult), "bits (word fraction)"},
        {"format_out", Format(r.formatOut), "bits (word fraction)"},
        {"tap_error_lsb", Decimal(r.tapErrorLsb), "coefficient LSB"},
        {"peak_tap_bits", std::to_string(r.peakTapBits), "bits"},
        {"passband_ripple_db", Decimal(r.passbandRippleDb), "dB"},
        {"stopband_db", Decimal(r.stopbandDb), "dB"},
        {"passband_ripple_db_designed", Decimal(r.passbandRippleDbDesigned), "dB"},
        {"stopband_db_designed", Decimal(r.stopbandDbDesigned), "dB"},
        {"isi_db", Decimal(r.isiDb), "dB"},
        {"ideal_deviation_db", Decimal(r.idealDeviationDb), "dB"},
        {"max_error_lsb", Decimal(r.maxErrorLsb), "output LSB"},
        {"sqnr_db", Decimal(r.sqnrDb), "dB"},
        {"error_bound_lsb", Decimal(r.errorBoundLsb), "output LSB"},
    };
    if (r.hardware) {
        entries.push_back({"clocks_per_sample", std::to_string(r.hardware->clocksPerSample), "clocks"});
        entries.push_back({"latency_clocks", std::to_string(r.hardware->latencyClocks),
                           "clocks (from a call's handshake to the clock edge that samples its output)"});
    }
    return entries;
}

void WriteReportText(std::ostream& out, const DesignReport& report, const std::string& title) {
    out << "# " << title << "\n";
    for (const ReportEntry& entry : ReportEntries(report))
        out << std::left << std::setw(28) << entry.key << " " << std::setw(12) << entry.value << " " << entry.unit
            << "\n";
}

std::string ReportSummary(const DesignReport& r) {
    return std::to_string(r.taps) + " taps, stop-band " + Decimal(r.stopbandDb) + " dB, ISI " + Decimal(r.isiDb) +
           " dB, SQNR " + Decimal(r.sqnrDb) + " dB, " + std::to_string(r.counts.multipliers) + " multipliers";
}

}  // namespace rcos
