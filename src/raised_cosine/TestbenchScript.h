// Text of the raised-cosine testbench script and of its PSD helper kw_psd.m.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace rcos {

struct TestbenchInputs {
    float fs = 0;
    float fd = 0;
    float r = 0;
    int delay = 0;
    std::string type;     // "normal" / "sqrt" ...
    std::string fsFlag;   // "yes" / "no" ...
    int channels = 1;
    int ibits = 0;
    int ifbits = 0;
    int obitsAuto = 0;    // -1 when the output word length is derived
    int ratio = 0;        // exact samples per symbol (OversamplingRatio), for sizes and indices
    std::string functionName;
    std::vector<double> normalized;  // doubleCoefs
    std::string qinDeclaration;      // the "qin = quantizer(...);\n" line
};

// Samples the testbench simulates: 256 symbols of every channel, counted in 64 bits.
std::int64_t TestbenchSampleCount(int channels, int ratio);
// Vectors of more samples cannot be indexed by MATLAB and Octave builds with 32-bit indices.
inline constexpr std::int64_t kMaxTestbenchSamples = 2147483647;

// The 62 lines of kw_psd.m, each followed by "\n".
std::string KwPsdText();

// The script body (between the banner and the scaffolding's closing lines). Reals are written
// in the stream's general format: precision 32 from the first coefficient on, 6 after the
// full-precision error check; the precision is left as it ends. Sample counts and indices
// (NUM_SAMPLES, the hold/decimation steps, the reference call's stride) are written as the exact
// whole numbers derived from `ratio`, not from the single-precision rates.
void WriteTestbenchScript(std::ostream& out, const TestbenchInputs& in);

}  // namespace rcos
