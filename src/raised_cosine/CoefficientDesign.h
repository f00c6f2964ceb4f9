// Coefficient design of the raised-cosine generator: the sampled RC or RRC impulse response,
// its normalisation to unit peak DFT magnitude, quantisation and the derived "auto" output
// lengths.
#pragma once

#include <optional>
#include <vector>

namespace rcos {

// N raw samples (N odd) of the RC (rootRaisedCosine false) or RRC response with roll-off r,
// oversampling ratio ratio (samples per symbol), R widened from single precision by the caller.
std::vector<double> DesignImpulseResponse(double r, int ratio, int tapCount, bool rootRaisedCosine);

struct QuantizedCoefficients {
    std::vector<double> normalized;  // h scaled to unit peak DFT magnitude
    std::vector<int> q;              // round-half-up of h * 2^(cbits-1)
};

// Normalises h to unit peak DFT magnitude and quantises it to cbits bits (cbits-1 fraction bits).
QuantizedCoefficients NormalizeAndQuantize(const std::vector<double>& h, int cbits);

// One tap in units of 2^-(cbits-1), rounded half up: floor(h * 2^(cbits-1) + 0.5).
int QuantizeCoefficient(double h, int cbits);

// The largest k >= 0 for which every tap, rounded half up at cbits-1+k fraction bits, still fits a
// signed cbits-bit word: the bits of the word that unity-gain scaling leaves unused above the
// largest tap.
int FullRangeExtraBits(const std::vector<double>& normalized, int cbits);

// Every tap rounded half up at the given fraction bits.
std::vector<int> QuantizeTaps(const std::vector<double>& normalized, int fractionBits);

// Integer bits m of the coefficients' absolute sum S: floor(log10(S)/log10(2) + 1), at least 1
// when S <= 0 (never reached by the designed responses).
int CoefficientSumIntegerBits(const std::vector<double>& normalized);

struct OutputLengths {
    int obits;
    int ofbits;
};

// The output lengths of a core: given ones stand; a missing word length derives both, a missing
// fraction length (word length given) derives that one, from the coefficients' absolute sum.
OutputLengths DeriveOutputLengths(const std::vector<double>& normalized, std::optional<int> obits,
                                  std::optional<int> ofbits, int ibits, int ifbits, int cbits, int trunc);

}  // namespace rcos
