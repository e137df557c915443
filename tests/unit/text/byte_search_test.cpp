#include "text/byte_search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace nimbra {
namespace {

std::size_t find(const std::string& text, char first, char second, std::size_t from = 0) {
  return static_cast<std::size_t>(FindBytePair(text.data() + from, text.data() + text.size(), first, second) -
                                  text.data());
}

// The rule written out byte by byte.
std::size_t reference(const std::string& text, char first, char second, std::size_t from) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  for (std::size_t q = from; q < text.size(); ++q) {
    if (text[q] != first) continue;
    if (q + 1 == text.size() || text[q + 1] == '\r') return q;
    if (second >= 'a' && second <= 'z' ? lower(text[q + 1]) == second : text[q + 1] == second) return q;
  }
  return text.size();
}

TEST(BytePair, FindsTheFirstByteFollowedByTheSecondInEitherCase) {
  std::string text = std::string(40, '.') + "[x [N [\xCE [n";
  EXPECT_EQ(find(text, '[', 'n'), 43u);
  EXPECT_EQ(find(text, '[', 'q'), text.size());
  EXPECT_EQ(find(text, '[', ']'), text.size());
}

TEST(BytePair, ACrAfterTheFirstByteOrTheEndIsACandidate) {
  EXPECT_EQ(find(std::string(50, '.') + "[\rn", '[', 'n'), 50u);
  EXPECT_EQ(find(std::string(50, '.') + "[", '[', 'n'), 50u);
  EXPECT_EQ(find("", '[', 'n'), 0u);
}

TEST(BytePair, NonLettersCompareExactly) {
  // '}' | 0x20 is '}', and ']' | 0x20 is '}': no folding for them.
  EXPECT_EQ(find(std::string(40, '.') + "[}[]", '[', ']'), 42u);
}

TEST(BytePair, AgreesWithTheByteRuleOnRandomText) {
  std::mt19937 random(7);
  const char alphabet[] = {'[', 'n', 'N', '\r', '.', 'm', '\x8E', ']'};
  for (int round = 0; round < 400; ++round) {
    std::string text(random() % 300, '.');
    for (char& c : text) c = alphabet[random() % 8];
    for (char second : {'n', ']', '\x8E'}) {
      for (std::size_t from = 0; from <= text.size(); from += 1 + random() % 40) {
        std::size_t want = reference(text, '[', second, from);
        ASSERT_EQ(find(text, '[', second, from), want) << round << " " << from;
      }
    }
  }
}

}  // namespace
}  // namespace nimbra
