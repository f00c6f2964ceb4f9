// The deterministic generator behind every measured figure's input: Marsaglia's xorshift64 with
// shifts 13, 7, 17. It uses shifts and exclusive ors only, so any platform (and a check in Octave
// with uint64 bit operations) draws the same sequence from the same seed.
#pragma once

#include <cstdint>

namespace fir {

class Xorshift64 {
public:
    // The seed is mixed with a fixed odd constant so that small seeds (0 included) start from a
    // state with many bits set; the one seed that would give the state 0 takes the constant itself.
    explicit Xorshift64(std::uint64_t seed) : m_state(seed ^ kMix) {
        if (m_state == 0) m_state = kMix;
    }

    std::uint64_t Next() {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return m_state;
    }

private:
    static constexpr std::uint64_t kMix = 0x9E3779B97F4A7C15ull;
    std::uint64_t m_state;
};

}  // namespace fir
