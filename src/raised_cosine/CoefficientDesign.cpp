// Coefficient design of the raised-cosine generator: sampling the RC/RRC response, scaling it to
// unit peak DFT magnitude through the mixed-radix transform, rounding to the coefficient word,
// and the derived facts the core writers need (symmetry, "auto" output lengths, two-term forms).
#include "raised_cosine/CoefficientDesign.h"

#include <cmath>
#include <cstdlib>

#include "raised_cosine/MixedRadixFft.h"

namespace rcos {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kOneOver360 = 0.002777777777777778;
// Keeps every sample off the removable singularities (t = 0 and the zeros of the denominators).
constexpr double kSingularOffset = 1e-14;

double RaisedCosineSample(double rolloff, double t) {
    const double rt = rolloff * t;
    return std::sin(kPi * t) * std::cos(kPi * rolloff * t) / (kPi * t * (1.0 - 4.0 * (rt * rt)));
}

double RootRaisedCosineSample(double rolloff, double t) {
    const double fourRt = 4.0 * rolloff * t;
    return -4.0 * rolloff *
           (std::sin(kPi * (1.0 - rolloff) * t) / (4.0 * rolloff * t) + std::cos(kPi * (1.0 + rolloff) * t)) /
           (kPi * (fourRt * fourRt - 1.0));
}

}  // namespace

std::vector<double> DesignImpulseResponse(double r, int ratio, int tapCount, bool rootRaisedCosine) {
    std::vector<double> h(tapCount, 0.0);
    // The grid offset c/360 is exactly 1/(2*ratio) only for ratios dividing 180 evenly enough
    // (2..6); for 7 and 8 it shifts every sample slightly, and the design keeps that shift.
    const int c = 180 / ratio;
    const double step = 1.0 / ratio;
    const double span = static_cast<double>(tapCount) / ratio;
    const int half = (tapCount + 1) / 2;
    for (int j = 0; j < half; ++j) {
        const double t = j * step - span * 0.5 + c * kOneOver360 + kSingularOffset;
        h[j] = rootRaisedCosine ? RootRaisedCosineSample(r, t) : RaisedCosineSample(r, t);
    }
    for (int k = half; k < tapCount; ++k) h[k] = h[tapCount - 1 - k];
    return h;
}

QuantizedCoefficients NormalizeAndQuantize(const std::vector<double>& h, int cbits) {
    const int n = static_cast<int>(h.size());
    QuantizedCoefficients result;
    if (n == 0) return result;
    const std::vector<double> zeros(n, 0.0);
    std::vector<double> binRe(n, 0.0), binIm(n, 0.0);
    MixedRadixForward(n, h.data(), zeros.data(), binRe.data(), binIm.data());

    double peak = 0.0;
    for (int i = 0; i < n; ++i) {
        const double magnitude = std::sqrt(binRe[i] * binRe[i] + binIm[i] * binIm[i]);
        if (magnitude > peak) peak = magnitude;
    }
    const double inversePeak = 1.0 / peak;
    for (int i = 0; i < n; ++i) {
        binRe[i] = binRe[i] * inversePeak;
        binIm[i] = binIm[i] * inversePeak;
    }

    result.normalized.assign(n, 0.0);
    std::vector<double> scaledIm(n, 0.0);
    MixedRadixInverse(n, binRe.data(), binIm.data(), result.normalized.data(), scaledIm.data());

    result.q.resize(n);
    for (int i = 0; i < n; ++i) result.q[i] = QuantizeCoefficient(result.normalized[i], cbits);
    return result;
}

int QuantizeCoefficient(double h, int cbits) {
    const double fullScale = static_cast<double>(1 << (cbits - 1));
    return static_cast<int>(std::floor(h * fullScale + 0.5));
}

std::vector<int> QuantizeTaps(const std::vector<double>& normalized, int fractionBits) {
    std::vector<int> q;
    q.reserve(normalized.size());
    for (const double h : normalized) q.push_back(static_cast<int>(std::floor(std::ldexp(h, fractionBits) + 0.5)));
    return q;
}

int FullRangeExtraBits(const std::vector<double>& normalized, int cbits) {
    const double top = std::ldexp(1.0, cbits - 1);
    auto fits = [&](int k) {
        for (const double h : normalized) {
            const double v = std::floor(std::ldexp(h, cbits - 1 + k) + 0.5);
            if (v > top - 1 || v < -top) return false;
        }
        return true;
    };
    int k = 0;
    while (k < 31 && fits(k + 1)) ++k;
    return k;
}

int CoefficientSumIntegerBits(const std::vector<double>& normalized) {
    double sum = 0.0;
    for (const double tap : normalized) sum += std::fabs(tap);
    if (sum <= 0.0) return 1;
    return static_cast<int>(std::floor(std::log10(sum) / std::log10(2.0) + 1.0));
}

OutputLengths DeriveOutputLengths(const std::vector<double>& normalized, std::optional<int> obits,
                                  std::optional<int> ofbits, int ibits, int ifbits, int cbits, int trunc) {
    if (obits && ofbits) return {*obits, *ofbits};
    OutputLengths lengths{obits.value_or(-1), -1};
    const int m = CoefficientSumIntegerBits(normalized);
    if (!obits) {
        const int width = m + ibits + cbits - trunc;
        if (width <= 32) {
            lengths.obits = width;
            lengths.ofbits = ifbits + cbits - trunc - 1;
        } else {
            // The integer part keeps its full width; the fraction gives way.
            lengths.obits = 32;
            lengths.ofbits = ifbits - m - ibits + 31;
        }
    } else {
        lengths.ofbits = *obits + ifbits - m - ibits;
    }
    if (lengths.ofbits < 0) lengths.ofbits = 0;
    return lengths;
}

}  // namespace rcos
