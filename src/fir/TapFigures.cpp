// Coefficient figures of a core model.
#include "fir/TapFigures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>

namespace fir {

std::vector<double> AppliedTaps(const CoreModel& model) {
    std::vector<double> taps(static_cast<std::size_t>(model.taps));
    for (std::size_t i = 0; i < taps.size(); ++i) {
        if (model.multiplierFree) {
            const PowerOfTwoPair& p = model.powerOfTwo[i];
            taps[i] = p.s1 * std::ldexp(1.0, p.d) + p.s2 * std::ldexp(1.0, p.f);
        } else {
            taps[i] = std::ldexp(static_cast<double>(model.q[i]), -model.coef.fraction);
        }
    }
    return taps;
}

int NonZeroTapCount(const CoreModel& model) {
    const std::vector<double> taps = AppliedTaps(model);
    return static_cast<int>(std::count_if(taps.begin(), taps.end(), [](double t) { return t != 0.0; }));
}

double TapErrorLsb(const CoreModel& model, const std::vector<double>& designed) {
    const std::vector<double> taps = AppliedTaps(model);
    if (designed.size() != taps.size()) throw std::invalid_argument("tap figures: one designed value per tap is needed");
    double largest = 0.0;
    for (std::size_t i = 0; i < taps.size(); ++i) largest = std::max(largest, std::fabs(taps[i] - designed[i]));
    return std::ldexp(largest, model.coef.fraction);
}

int PeakTapBits(const CoreModel& model) {
    int bits = 1;
    for (const double tap : AppliedTaps(model)) {
        const auto v = static_cast<std::int64_t>(std::ldexp(tap, model.coef.fraction));
        // -2^(b-1) <= v <= 2^(b-1)-1: the magnitude bits of v (or of -v-1) plus the sign.
        const std::uint64_t magnitude = static_cast<std::uint64_t>(v < 0 ? -(v + 1) : v);
        int used = 1;
        while ((magnitude >> (used - 1)) != 0) ++used;
        bits = std::max(bits, used);
    }
    return bits;
}

}  // namespace fir
