// A small, fast, seedable generator (SplitMix64): the same seed gives the same
// sequence on every platform, which the standard distributions do not promise.
#pragma once

#include <cstdint>

namespace hw {

class Rng {
public:
    explicit Rng(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t Next() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, 1).
    double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

    // True with probability p (p <= 0: never, p >= 1: always).
    bool Chance(double p) { return Uniform() < p; }

private:
    std::uint64_t m_state;
};

}  // namespace hw
