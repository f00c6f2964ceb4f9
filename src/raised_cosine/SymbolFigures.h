// Figures of a raised-cosine filter read at its time instants: the inter-symbol interference of its
// taps and the deviation of the designed taps from the textbook impulse response.
#pragma once

#include <vector>

namespace rcos {

// Root-sum-square of the response at the symbol instants other than the peak (every ratio-th
// sample from the middle on both sides), relative to the peak, in dB: of the taps themselves for a
// raised cosine, of the taps convolved with themselves (the matched pair) for a root raised cosine.
double IsiDb(const std::vector<double>& taps, int ratio, bool rootRaisedCosine);

// The textbook impulse response at t symbols from its peak, with the limits at the removable
// singularities (t = 0; |t| = 1/(2R) for the raised cosine, 1/(4R) for the root raised cosine).
double TextbookResponse(double t, double rollOff, bool rootRaisedCosine);

// The largest |designed[j]/peak(designed) - g[j]/peak(g)| over the taps, in dB, where g is the
// textbook response at the tap instants t_j = (j - (N-1)/2)/ratio and peak the largest magnitude.
double IdealDeviationDb(const std::vector<double>& designed, int ratio, double rollOff, bool rootRaisedCosine);

}  // namespace rcos
