// Timing of the mixed-radix transform on the odd tap counts the coefficient design uses, beside
// FFTW 3 on the same split real/imaginary arrays, and of the whole coefficient design for the
// longest admitted filter (511 taps, 16-bit coefficients, with the power-of-two search) and of the
// power-of-two search alone.
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <cstdint>
#include <random>
#include <vector>

#include "fir/PowerOfTwo.h"
#include "raised_cosine/CoefficientDesign.h"
#include "raised_cosine/MixedRadixFft.h"

namespace {

const std::vector<int> kTapCounts = {5,   7,   9,   11,  13,  17,  21,  25,  33,  41,  49,  65,  81,  97,
                                     121, 129, 161, 193, 225, 255, 289, 321, 385, 449, 481, 505, 511};

struct SplitBuffers {
    std::vector<double> inRe, inIm, outRe, outIm;
    explicit SplitBuffers(int n) : inRe(n), inIm(n), outRe(n), outIm(n) {
        std::mt19937 generator(17u);
        std::uniform_real_distribution<double> value(-1.0, 1.0);
        for (int i = 0; i < n; ++i) {
            inRe[i] = value(generator);
            inIm[i] = value(generator);
        }
    }
};

void ApplyTapCounts(benchmark::internal::Benchmark* bench) {
    for (const int n : kTapCounts) bench->Arg(n);
}

void BM_MixedRadixForward(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    SplitBuffers buffers(n);
    for (auto _ : state) {
        rcos::MixedRadixForward(n, buffers.inRe.data(), buffers.inIm.data(), buffers.outRe.data(),
                                buffers.outIm.data());
        benchmark::DoNotOptimize(buffers.outRe.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MixedRadixForward)->Apply(ApplyTapCounts);

// FFTW with a measured plan on split arrays, out of place, as our transform runs.
void BM_Fftw3Forward(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    SplitBuffers buffers(n);
    fftw_iodim dim{n, 1, 1};
    const fftw_plan plan =
        fftw_plan_guru_split_dft(1, &dim, 0, nullptr, buffers.inRe.data(), buffers.inIm.data(), buffers.outRe.data(),
                                 buffers.outIm.data(), FFTW_MEASURE);
    // Planning with FFTW_MEASURE overwrites the arrays: refill the input.
    SplitBuffers fresh(n);
    buffers.inRe = fresh.inRe;
    buffers.inIm = fresh.inIm;
    if (plan == nullptr) {
        state.SkipWithError("FFTW could not plan this length");
        return;
    }
    for (auto _ : state) {
        fftw_execute_split_dft(plan, buffers.inRe.data(), buffers.inIm.data(), buffers.outRe.data(),
                               buffers.outIm.data());
        benchmark::DoNotOptimize(buffers.outRe.data());
        benchmark::ClobberMemory();
    }
    fftw_destroy_plan(plan);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Fftw3Forward)->Apply(ApplyTapCounts);

// The full design as core generation runs it: 511 taps (r = 5, delay 51), 16-bit coefficients,
// both output lengths derived, two-term forms for the multiplier-free cores.
void BM_CoefficientDesign511(benchmark::State& state) {
    const bool root = state.range(0) != 0;
    const int taps = 511;
    const int cbits = 16;
    for (auto _ : state) {
        const std::vector<double> raw = rcos::DesignImpulseResponse(double(0.35f), 5, taps, root);
        const rcos::QuantizedCoefficients coefs = rcos::NormalizeAndQuantize(raw, cbits);
        benchmark::DoNotOptimize(fir::ClassifySymmetry(coefs.q));
        benchmark::DoNotOptimize(rcos::DeriveOutputLengths(coefs.normalized, std::nullopt, std::nullopt, 16, 15, cbits, 0));
        const std::vector<fir::PowerOfTwoPair> pairs = fir::DecomposePowerOfTwo(coefs.q, cbits);
        benchmark::DoNotOptimize(pairs.data());
    }
}
BENCHMARK(BM_CoefficientDesign511)->ArgName("rrc")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The two-term forms alone for the 511 designed taps, at 16 and at 20 coefficient bits.
void BM_PowerOfTwoForm511(benchmark::State& state) {
    const int cbits = static_cast<int>(state.range(0));
    const std::vector<double> raw = rcos::DesignImpulseResponse(double(0.35f), 5, 511, true);
    const std::vector<int> q = rcos::NormalizeAndQuantize(raw, cbits).q;
    for (auto _ : state) {
        const std::vector<fir::PowerOfTwoPair> pairs = fir::DecomposePowerOfTwo(q, cbits);
        benchmark::DoNotOptimize(pairs.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(q.size()));
}
BENCHMARK(BM_PowerOfTwoForm511)->ArgName("cbits")->Arg(16)->Arg(20)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
