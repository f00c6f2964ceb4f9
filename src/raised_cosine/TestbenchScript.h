// Text of the raised-cosine testbench script, of its PSD helper kw_psd.m, and of the project
// directives that tell the host how the script drives the core.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "raised_cosine/CoreDesign.h"
#include "raised_cosine/GenerateRequest.h"

namespace rcos {

// Samples the testbench simulates: 256 symbols of every channel, counted in 64 bits.
std::int64_t TestbenchSampleCount(int channels, int ratio);

// The 62 lines of kw_psd.m, each followed by "\n".
std::string KwPsdText();

// The script body (between the banner and the scaffolding's closing lines) for the core
// functionName of the request and its design. Reals are written in the stream's general format:
// precision 32 from the first coefficient on, 6 after the full-precision error check; the
// precision is left as it ends. Sample counts and indices (NUM_SAMPLES, the hold/decimation
// steps, the reference call's stride) are written as the exact whole numbers derived from the
// request's ratio, not from the single-precision rates.
void WriteTestbenchScript(std::ostream& out, const GenerateRequest& request, const CoreDesign& design,
                          const std::string& functionName);

// The project directives: the script calls the core once per sample in its loop over n.
void WriteProjectDirectives(std::ostream& out, const std::string& functionName);

}  // namespace rcos
