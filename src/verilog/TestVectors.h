// Stimulus and expected response of a core's hardware testbench: random full-range samples with
// random idle clocks between handshakes, then the worst-case input (every tap meets a full-scale
// sample of its own sign, then of the opposite sign), with the outputs of the bit-true simulator.
#pragma once

#include <cstdint>
#include <vector>

#include "fir/CoreModel.h"

namespace fir {

struct TestVectors {
    std::vector<std::int64_t> inputs;   // one per handshake (a call, or a symbol), input format
    std::vector<int> idleClocks;        // clocks with in_valid low before each handshake (0 .. 7)
    std::vector<std::int64_t> outputs;  // each handshake's outputs (one, or r of a symbol), output format
};

inline constexpr int kMaxIdleClocks = 7;
// What a generated testbench drives before the worst-case input, and from which seed.
inline constexpr int kTestbenchRandomSamples = 1000;
inline constexpr std::uint64_t kTestbenchSeed = 20240601;

// RANDOMSAMPLES random calls from SEED (the same seed gives the same vectors on every platform),
// then the worst-case input; outputs from CoreSimulator, starting from reset. A core fed at the
// symbol rate takes RANDOMSAMPLES / r random symbols, then the symbols of the worst-case calls; the
// simulator runs r calls per symbol, the symbol on the last, and symbol k's outputs are those of
// its call and the r - 1 after it.
TestVectors MakeTestVectors(const CoreModel& model, int randomSamples, std::uint64_t seed);

// The worst-case calls that follow FIRSTCALL calls since reset: for one combination instant T,
// every call c of the span gets the full-scale sample of the sign of the tap it meets there
// (tap floor((T-c)/channels), so every channel's sum peaks), with T chosen, for a zero-stuffing
// core, among the phases where the taps that meet a sample have the largest absolute sum; then
// the same with signs reversed; zeros flush the line after each.
std::vector<std::int64_t> WorstCaseInput(const CoreModel& model, std::int64_t firstCall);

}  // namespace fir
