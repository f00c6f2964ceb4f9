// Magnitude response on the grid: the equally spaced frequencies w_m = pi*m/M are the first M+1
// bins of the taps' transform zero-padded to 2M; the two band edges are direct DFT sums.
#include "raised_cosine/FrequencyFigures.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "raised_cosine/MixedRadixFft.h"

namespace rcos {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr int kPointsPerTap = 16;

// M: the smallest power of two with at least 16 points per tap, so that the transform of length
// 2M runs in radix-4 and radix-8 passes.
std::size_t GridIntervals(std::size_t taps) {
    std::size_t points = 1;
    while (points < kPointsPerTap * taps) points *= 2;
    return points;
}

// |H(w_m)| for m = 0 .. M at w_m = pi*m/M: bins 0 .. M of the zero-padded transform of length 2M.
std::vector<double> GridMagnitudes(const std::vector<double>& h, std::size_t points) {
    const std::size_t length = 2 * points;
    std::vector<double> re(length, 0.0);
    std::copy(h.begin(), h.end(), re.begin());
    const std::vector<double> im(length, 0.0);
    std::vector<double> binRe(length), binIm(length);
    MixedRadixForward(static_cast<int>(length), re.data(), im.data(), binRe.data(), binIm.data());
    std::vector<double> magnitudes(points + 1);
    for (std::size_t m = 0; m <= points; ++m) magnitudes[m] = std::hypot(binRe[m], binIm[m]);
    return magnitudes;
}

double DirectMagnitude(const std::vector<double>& h, double w) {
    double re = 0.0;
    double im = 0.0;
    for (std::size_t n = 0; n < h.size(); ++n) {
        re += h[n] * std::cos(w * static_cast<double>(n));
        im -= h[n] * std::sin(w * static_cast<double>(n));
    }
    return std::hypot(re, im);
}

double Db(double magnitude, double reference) {
    if (magnitude <= 0.0) return -std::numeric_limits<double>::infinity();
    return 20.0 * std::log10(magnitude / reference);
}

struct Band {
    double low;
    double high;
    double lowest = std::numeric_limits<double>::infinity();
    double highest = -std::numeric_limits<double>::infinity();
    void Take(double f, double db) {
        if (f < low || f > high) return;
        lowest = std::min(lowest, db);
        highest = std::max(highest, db);
    }
};

}  // namespace

BandFigures MeasureBands(const std::vector<double>& taps, int ratio, double rollOff, std::optional<double> stopbandFrom) {
    const std::size_t points = GridIntervals(taps.size());  // M intervals over [0, Fs/2]
    const std::vector<double> magnitudes = GridMagnitudes(taps, points);
    const double dc = magnitudes[0];
    // Frequencies in units of Fd: Fs/2 is ratio/2, the edges (1 -/+ R)/2.
    const double nyquist = ratio / 2.0;
    Band pass{0.0, (1.0 - rollOff) / 2.0};
    Band stop{stopbandFrom.value_or((1.0 + rollOff) / 2.0), nyquist};
    for (std::size_t m = 0; m <= points; ++m) {
        const double f = nyquist * static_cast<double>(m) / static_cast<double>(points);
        const double db = Db(magnitudes[m], dc);
        pass.Take(f, db);
        stop.Take(f, db);
    }
    for (const double edge : {pass.high, stop.low}) {
        const double db = Db(DirectMagnitude(taps, 2.0 * kPi * edge / ratio), dc);
        pass.Take(edge, db);
        stop.Take(edge, db);
    }
    return {pass.highest - pass.lowest, stop.highest};
}

}  // namespace rcos
