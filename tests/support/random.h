// splitmix64: the same numbers on every run and every machine, for tests that mutate inputs.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kdmtest {

class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    std::size_t Below(std::size_t bound) { return bound == 0 ? 0 : static_cast<std::size_t>(Next() % bound); }

  private:
    std::uint64_t state_;
};

}  // namespace kdmtest
