// Inter-symbol interference and the textbook deviation of a raised-cosine filter.
#include "raised_cosine/SymbolFigures.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace rcos {

namespace {

constexpr double kPi = 3.141592653589793;
// Closer than this to a removable singularity the formula loses its digits: the limit is taken.
constexpr double kSingular = 1e-9;

double Db(double ratio) {
    return ratio > 0.0 ? 20.0 * std::log10(ratio) : -std::numeric_limits<double>::infinity();
}

std::vector<double> SelfConvolution(const std::vector<double>& h) {
    std::vector<double> y(2 * h.size() - 1, 0.0);
    for (std::size_t i = 0; i < h.size(); ++i)
        for (std::size_t k = 0; k < h.size(); ++k) y[i + k] += h[i] * h[k];
    return y;
}

double LargestMagnitude(const std::vector<double>& v) {
    double peak = 0.0;
    for (const double x : v) peak = std::max(peak, std::fabs(x));
    return peak;
}

}  // namespace

double IsiDb(const std::vector<double>& taps, int ratio, bool rootRaisedCosine) {
    if (taps.empty()) return -std::numeric_limits<double>::infinity();
    const std::vector<double> h = rootRaisedCosine ? SelfConvolution(taps) : taps;
    const std::size_t middle = h.size() / 2;
    const std::size_t step = static_cast<std::size_t>(ratio);
    double energy = 0.0;
    for (std::size_t k = step; k <= middle; k += step) energy += h[middle - k] * h[middle - k] + h[middle + k] * h[middle + k];
    return Db(std::sqrt(energy) / std::fabs(h[middle]));
}

double TextbookResponse(double t, double r, bool rootRaisedCosine) {
    if (!rootRaisedCosine) {
        if (std::fabs(t) < kSingular) return 1.0;
        const double edge = 1.0 - (2.0 * r * t) * (2.0 * r * t);
        if (std::fabs(edge) < kSingular) return r / 2.0 * std::sin(kPi / (2.0 * r));
        return std::sin(kPi * t) / (kPi * t) * std::cos(kPi * r * t) / edge;
    }
    if (std::fabs(t) < kSingular) return 1.0 - r + 4.0 * r / kPi;
    const double edge = 1.0 - (4.0 * r * t) * (4.0 * r * t);
    if (std::fabs(edge) < kSingular) {
        return r / std::sqrt(2.0) *
               ((1.0 + 2.0 / kPi) * std::sin(kPi / (4.0 * r)) + (1.0 - 2.0 / kPi) * std::cos(kPi / (4.0 * r)));
    }
    return (std::sin(kPi * t * (1.0 - r)) + 4.0 * r * t * std::cos(kPi * t * (1.0 + r))) / (kPi * t * edge);
}

double IdealDeviationDb(const std::vector<double>& designed, int ratio, double rollOff, bool rootRaisedCosine) {
    const std::size_t n = designed.size();
    std::vector<double> ideal(n);
    for (std::size_t j = 0; j < n; ++j) {
        const double t = (static_cast<double>(j) - static_cast<double>(n - 1) / 2.0) / ratio;
        ideal[j] = TextbookResponse(t, rollOff, rootRaisedCosine);
    }
    const double designedPeak = LargestMagnitude(designed);
    const double idealPeak = LargestMagnitude(ideal);
    double largest = 0.0;
    for (std::size_t j = 0; j < n; ++j)
        largest = std::max(largest, std::fabs(designed[j] / designedPeak - ideal[j] / idealPeak));
    return Db(largest);
}

}  // namespace rcos
