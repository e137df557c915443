// The pseudo-random generator behind the temporary file names.
#include <gtest/gtest.h>

#include <array>
#include <set>

#include "host/random.h"

namespace nimbra {
namespace {

TEST(RandomGenerator, TheSameSeedGivesTheSameSequence) {
  RandomGenerator a{2024}, b{0};
  b.seed(2024);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(a.next(), b.next());
}

TEST(RandomGenerator, DifferentSeedsGiveDifferentSequences) {
  RandomGenerator a{1}, b{2};
  int equal = 0;
  for (int i = 0; i < 100; ++i) equal += a.next() == b.next();
  EXPECT_LT(equal, 3);
}

TEST(RandomGenerator, ASeedOfZeroStillMoves) {
  RandomGenerator random{0};
  std::set<std::uint32_t> seen;
  for (int i = 0; i < 1000; ++i) seen.insert(random.next());
  EXPECT_EQ(seen.size(), 1000u);
}

TEST(RandomGenerator, BelowStaysInRange) {
  RandomGenerator random{77};
  for (std::uint32_t bound : {1u, 2u, 3u, 26u, 1000u, 0x80000001u, 0xFFFFFFFFu})
    for (int i = 0; i < 200; ++i) ASSERT_LT(random.below(bound), bound) << bound;
}

TEST(RandomGenerator, LettersAreDrawnEvenly) {
  // 26,000 draws: each letter about 1,000 times; 850..1150 is over 4.5 standard deviations.
  RandomGenerator random{31337};
  std::array<int, 26> counts{};
  for (int i = 0; i < 26000; ++i) ++counts[random.below(26)];
  for (int letter = 0; letter < 26; ++letter) {
    EXPECT_GT(counts[letter], 850) << letter;
    EXPECT_LT(counts[letter], 1150) << letter;
  }
}

TEST(RandomGenerator, ConsecutiveDrawsDoNotRepeatInShortCycles) {
  // The low bits of an LCG cycle with period 2, 4, ...; the draws must not.
  RandomGenerator random{5};
  std::array<int, 2> parity{};
  std::uint32_t previous = random.below(26);
  int same = 0;
  for (int i = 0; i < 2600; ++i) {
    std::uint32_t draw = random.below(26);
    ++parity[draw % 2];
    same += draw == previous;
    previous = draw;
  }
  EXPECT_GT(parity[0], 1150);
  EXPECT_GT(parity[1], 1150);
  EXPECT_LT(same, 200);  // about 100 expected
}

}  // namespace
}  // namespace nimbra
