// The process's pseudo-random generator: a 32-bit linear congruential
// generator, seeded once at start-up from the system's cryptographic random
// source (from the clock where there is none). It makes temporary file names
// that no one can foresee and that are unlikely to collide.
#pragma once

#include <cstdint>

namespace nimbra {

class RandomGenerator {
 public:
  explicit RandomGenerator(std::uint32_t seed = 0) : state_(seed) {}

  void seed(std::uint32_t seed) { state_ = seed; }
  // The next 32 bits of the sequence; the same seed gives the same sequence.
  std::uint32_t next();
  // A number in [0, bound), every value equally likely. bound must be > 0.
  std::uint32_t below(std::uint32_t bound);

 private:
  std::uint32_t state_;
};

}  // namespace nimbra
