// The truncation bound and the measured fixed-point error of a core model.
#include "fir/ErrorFigures.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "fir/CoreSimulator.h"
#include "fir/Xorshift64.h"

namespace fir {

namespace {

int FlooredProducts(const CoreModel& m) {
    const int dropped = m.in.fraction + m.coef.fraction - m.mult.fraction;
    if (dropped <= 0) return 0;
    const bool pairsShareProducts = m.IsFolded() && m.Traits().preAddsPairs;
    const int count = pairsShareProducts ? m.DistinctTapCount() : m.taps;
    int products = 0;
    for (int i = 0; i < count; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        const bool zero = m.multiplierFree ? m.powerOfTwo[k].s1 == 0 && m.powerOfTwo[k].s2 == 0 : m.q[k] == 0;
        if (!zero) ++products;
    }
    return products;
}

// The input the core filters, in input units: with zero-stuffing a sample enters on every
// ratio-th call (the first on call ratio), zeros in between.
std::vector<double> FilteredInput(const CoreModel& m, const std::vector<std::int64_t>& x) {
    std::vector<double> u(x.size(), 0.0);
    for (std::size_t n = 0; n < x.size(); ++n) {
        const bool enters = !m.zeroStuffing || static_cast<int>(n % static_cast<std::size_t>(m.ratio)) == m.ratio - 1;
        if (enters) u[n] = std::ldexp(static_cast<double>(x[n]), -m.in.fraction);
    }
    return u;
}

// y[n] = sum over k of h[k] * u[n - k*channels], times 2^scaleExp. The tap loop is outside:
// every output keeps its own sum (in tap order), which the compiler can run side by side.
std::vector<double> ReferenceOutput(const CoreModel& m, const std::vector<double>& h, const std::vector<double>& u) {
    const std::size_t ch = static_cast<std::size_t>(m.channels);
    std::vector<double> y(u.size(), 0.0);
    for (std::size_t k = 0; k < h.size() && k * ch < u.size(); ++k) {
        const double tap = h[k];
        const double* delayed = u.data();
        for (std::size_t n = k * ch; n < u.size(); ++n) y[n] += tap * delayed[n - k * ch];
    }
    for (double& v : y) v = std::ldexp(v, m.scaleExp);
    return y;
}

}  // namespace

double ErrorBoundLsb(const CoreModel& m) {
    const double products = std::ldexp(static_cast<double>(FlooredProducts(m)), m.out.fraction - m.mult.fraction);
    const bool outputFloors = m.mult.fraction - m.scaleExp > m.out.fraction;
    return products + (outputFloors ? 1.0 : 0.0);
}

std::vector<std::int64_t> UniformFullRangeInput(const FixedFormat& format, std::uint64_t seed, int n) {
    Xorshift64 generator(seed);
    std::vector<std::int64_t> x(static_cast<std::size_t>(std::max(n, 0)));
    const std::int64_t half = std::int64_t{1} << (format.word - 1);
    for (std::int64_t& v : x) v = static_cast<std::int64_t>(generator.Next() >> (64 - format.word)) - half;
    return x;
}

MeasuredError MeasureError(const CoreModel& m, const std::vector<double>& designed, std::uint64_t seed, int samples) {
    if (static_cast<int>(designed.size()) != m.taps)
        throw std::invalid_argument("error figures: one designed value per tap is needed");
    const std::vector<std::int64_t> x = UniformFullRangeInput(m.in, seed, samples);
    CoreSimulator simulator(m);
    const std::vector<std::int64_t> y = simulator.Run(x);
    const std::vector<double> reference = ReferenceOutput(m, designed, FilteredInput(m, x));

    double largest = 0.0;
    double signal = 0.0;
    double noise = 0.0;
    for (std::size_t n = static_cast<std::size_t>(m.latencyCalls); n < y.size(); ++n) {
        const double want = reference[n - static_cast<std::size_t>(m.latencyCalls)];
        const double error = std::ldexp(static_cast<double>(y[n]), -m.out.fraction) - want;
        largest = std::max(largest, std::fabs(error));
        signal += want * want;
        noise += error * error;
    }
    MeasuredError result;
    result.maxErrorLsb = std::ldexp(largest, m.out.fraction);
    result.sqnrDb = noise > 0.0 ? 10.0 * std::log10(signal / noise) : std::numeric_limits<double>::infinity();
    return result;
}

}  // namespace fir
