// The resource-shared cores' hardware: which architecture builds each structure (a delay line of
// samples with an accumulator, or the two partial-sum chains of a folded transposed core whose
// products drop bits), and the timing the header and the report state for it. The hdl matrix
// proves the text bit-identical; these cases pin the choice and the stated figures.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "fir/CoreModel.h"
#include "verilog/HardwareTiming.h"
#include "verilog/VerilogWriter.h"

namespace {

const std::vector<int> kSymmetric9 = {-7, 27, 70, 106, 120, 106, 70, 27, -7};
const std::vector<int> kUnrelated9 = {1, 2, 3, 4, 5, 6, 7, 8, 9};

fir::CoreModel Shared(const std::vector<int>& q, fir::Form form, int channels, int trunc) {
    fir::CoreDescription d;
    d.q = q;
    d.symmetry = fir::ClassifySymmetry(q);
    d.channels = channels;
    d.form = form;
    d.sharing = fir::Sharing::ResourceShared;
    d.lengths.ibits = 12;
    d.lengths.ifbits = 11;
    d.lengths.cbits = 10;
    d.lengths.coefFracBits = 9;
    d.lengths.trunc = trunc;
    d.lengths.obits = 20;
    d.lengths.ofbits = 18;
    return fir::MakeCoreModel(d);
}

std::string VerilogOf(const fir::CoreModel& m) {
    std::ostringstream out;
    fir::WriteVerilog(out, m, "core");
    return out.str();
}

TEST(SharedHardware, ArchitectureAndTiming) {
    using fir::Form;
    struct Case {
        const char* what;
        fir::CoreModel model;
        bool chains;       // the two partial-sum chains, else the delay line
        int k;             // clocks per sample
        int latency;       // clocks
        int clear;         // clocks with in_ready low after reset
        int lineDepth;     // words of the delay line (0: chains)
    };
    // Delay line of L places read from place 1 (direct, folded transposed) or 0 (unfolded
    // transposed: the call's own sample is a product): a power of two above first + L.
    const Case cases[] = {
        {"direct folded", Shared(kSymmetric9, Form::Direct, 1, 0), false, 5, 9, 16, 16},
        {"direct unfolded", Shared(kUnrelated9, Form::Direct, 1, 3), false, 9, 12, 16, 16},
        {"direct folded, 3 channels (L 25)", Shared(kSymmetric9, Form::Direct, 3, 0), false, 5, 9, 32, 32},
        {"direct unfolded, 2 channels (L 17)", Shared(kUnrelated9, Form::Direct, 2, 0), false, 9, 12, 32, 32},
        {"transposed unfolded, truncated", Shared(kUnrelated9, Form::Transposed, 1, 3), false, 9, 12, 16, 16},
        {"transposed folded, exact products", Shared(kSymmetric9, Form::Transposed, 1, 0), false, 5, 9, 16, 16},
        {"transposed folded, 5 taps: K 4 over 3 steps", Shared({3, 5, 9, 5, 3}, Form::Transposed, 1, 0), false, 4,
         8, 8, 8},
        {"transposed folded, truncated products", Shared(kSymmetric9, Form::Transposed, 1, 3), true, 5, 8, 5, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fir::HardwareTiming t = fir::VerilogTiming(c.model);
        EXPECT_EQ(c.k, t.clocksPerSample);
        EXPECT_EQ(c.latency, t.latencyClocks);
        EXPECT_EQ(c.clear, t.clearClocks);
        const std::string text = VerilogOf(c.model);
        EXPECT_EQ(c.chains, text.find("n_mem [0:") != std::string::npos);
        if (c.lineDepth > 0) {
            EXPECT_NE(std::string::npos, text.find("line_mem [0:" + std::to_string(c.lineDepth - 1) + "];"));
        }
        EXPECT_NE(std::string::npos, text.find("// Latency:    " + std::to_string(c.latency) + " clocks"));
        // No modulo compare on the line's address path: its pointers wrap by themselves.
        if (!c.chains) {
            EXPECT_EQ(std::string::npos, text.find(" >= ")) << text;
        }
    }
}

}  // namespace
