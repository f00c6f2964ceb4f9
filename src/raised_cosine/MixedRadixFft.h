// Discrete Fourier transform of any length whose prime factors are at most 509, on separate
// real and imaginary arrays. The factor order, the root and twiddle recurrences and the stored
// constants fix every result to the last bit: the coefficient design depends on it.
#pragma once

#include <vector>

namespace rcos {

inline constexpr int kMaxPrimeFactor = 509;

// Y[k] = sum_j x[j] e^{-2 pi i jk/n}, unscaled, natural order. Inputs are left unchanged and must
// not overlap the outputs. Throws std::runtime_error for a length whose first factor in pass
// order exceeds kMaxPrimeFactor (message: "\nPrime factor of FFT length too large : %6d"
// followed by "\nPlease modify the value of maxPrimeFactor in mixfft"). n < 1 does nothing.
// Re-entrant: every work table belongs to the call.
void MixedRadixForward(int n, const double* inRe, const double* inIm, double* outRe, double* outIm);

// y[k] = (1/n) sum_j x[j] e^{+2 pi i jk/n}: conjugate, forward transform, scale, conjugate.
void MixedRadixInverse(int n, const double* inRe, const double* inIm, double* outRe, double* outIm);

// The radices of the passes for length n, in the order the passes run (n >= 1): special radices
// 10, 8, 5, 4, 3, 2 first (2*8 rewritten as 4*4), then trial division, then the leftover, all
// reversed. Example: 128 -> 4, 4, 8.
std::vector<int> FactorLength(int n);

}  // namespace rcos
