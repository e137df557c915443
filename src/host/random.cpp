#include "host/random.h"

namespace nimbra {

std::uint32_t RandomGenerator::next() {
  // Numerical Recipes' constants: a full period of 2^32 for any seed.
  state_ = state_ * 1664525u + 1013904223u;
  return state_;
}

std::uint32_t RandomGenerator::below(std::uint32_t bound) {
  // Multiply-and-shift maps the draw by its high bits (the low bits of an LCG
  // have short periods); rejecting the few draws of the incomplete last
  // stripe keeps every value exactly equally likely.
  std::uint64_t product = std::uint64_t{next()} * bound;
  auto low = static_cast<std::uint32_t>(product);
  if (low < bound) {
    std::uint32_t threshold = (0u - bound) % bound;
    while (low < threshold) {
      product = std::uint64_t{next()} * bound;
      low = static_cast<std::uint32_t>(product);
    }
  }
  return static_cast<std::uint32_t>(product >> 32);
}

}  // namespace nimbra
