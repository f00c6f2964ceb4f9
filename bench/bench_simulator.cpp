// Speed of the bit-true simulator: a 511-tap designed core (ratio 5, delay 51) over 2048 full-range
// samples in every structure, with and without multipliers. One tap-operation is one tap of one
// output sample; items_per_second is tap-operations per second.
// Run: bench_simulator
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "fir/CoreModel.h"
#include "fir/CoreSimulator.h"
#include "fir/PowerOfTwo.h"
#include "raised_cosine/CoefficientDesign.h"

namespace {

constexpr int kTaps = 511;
constexpr int kRatio = 5;
constexpr int kCbits = 16;
constexpr int kSamples = 2048;

fir::CoreModel Model(fir::Form form, fir::Sharing sharing, bool multiplierFree) {
    const rcos::QuantizedCoefficients c =
        rcos::NormalizeAndQuantize(rcos::DesignImpulseResponse(0.35, kRatio, kTaps, true), kCbits);
    fir::CoreDescription description;
    description.q = c.q;
    description.symmetry = fir::ClassifySymmetry(c.q);
    description.form = form;
    description.sharing = sharing;
    description.multiplierFree = multiplierFree;
    if (multiplierFree) description.powerOfTwo = fir::DecomposePowerOfTwo(c.q, kCbits);
    description.ratio = kRatio;
    description.lengths = {16, 15, 0, 0, kCbits, kCbits - 1, 0, 0, rcos::CoefficientSumIntegerBits(c.normalized)};
    const rcos::OutputLengths out = rcos::DeriveOutputLengths(c.normalized, std::nullopt, std::nullopt, 16, 15, kCbits, 0);
    description.lengths.obits = out.obits;
    description.lengths.ofbits = out.ofbits;
    return fir::MakeCoreModel(description);
}

std::vector<std::int64_t> FullRangeInput() {
    std::vector<std::int64_t> x(kSamples);
    std::uint64_t s = 0x9E3779B97F4A7C15ull;
    for (std::int64_t& v : x) {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        v = static_cast<std::int64_t>(s >> 48) - 32768;
    }
    return x;
}

void BM_Simulate(benchmark::State& state, fir::Form form, fir::Sharing sharing, bool multiplierFree) {
    const fir::CoreModel model = Model(form, sharing, multiplierFree);
    const std::vector<std::int64_t> x = FullRangeInput();
    fir::CoreSimulator simulator(model);
    for (auto _ : state) {
        simulator.Reset();
        benchmark::DoNotOptimize(simulator.Run(x));
    }
    state.SetItemsProcessed(state.iterations() * kSamples * kTaps);
}

using fir::Form;
using fir::Sharing;
BENCHMARK_CAPTURE(BM_Simulate, direct_parallel, Form::Direct, Sharing::FullyParallel, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Simulate, transposed_parallel, Form::Transposed, Sharing::FullyParallel, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Simulate, direct_shared, Form::Direct, Sharing::ResourceShared, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Simulate, transposed_shared, Form::Transposed, Sharing::ResourceShared, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Simulate, direct_parallel_multfree, Form::Direct, Sharing::FullyParallel, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Simulate, transposed_shared_multfree, Form::Transposed, Sharing::ResourceShared, true)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
