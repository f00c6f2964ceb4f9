// The pass-band ripple and stop-band level of a raised-cosine filter's taps, read from their
// magnitude response on a frequency grid that includes both band edges.
#pragma once

#include <optional>
#include <vector>

namespace rcos {

struct BandFigures {
    double passbandRippleDb = 0;  // max - min of the magnitude over [0, (1-R)*Fd/2], dB
    double stopbandDb = 0;        // largest magnitude over [(1+R)*Fd/2, Fs/2] (or from the
                                  // given start), dB relative to 0 Hz
};

// taps: N values at the sample rate Fs = ratio*Fd; rollOff: R, 0 < R <= 1. The magnitude |H(f)| is
// taken relative to |H(0)| on M+1 equally spaced frequencies over [0, Fs/2], M the smallest power
// of two of at least 16*N, and at the two band edges (1-R)*Fd/2 and (1+R)*Fd/2. stopbandFrom, in
// units of Fd (0 < F <= ratio/2), moves the stop band's start there and adds it to the grid.
BandFigures MeasureBands(const std::vector<double>& taps, int ratio, double rollOff,
                         std::optional<double> stopbandFrom = std::nullopt);

}  // namespace rcos
