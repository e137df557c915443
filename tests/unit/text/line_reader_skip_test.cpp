// readLineStartingWith must find exactly the lines that a plain readLine loop
// would find, whatever the block boundaries.
#include "text/line_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace nimbra {
namespace {

using platform::File;

class MemoryFile : public File {
 public:
  explicit MemoryFile(std::string bytes) : bytes_(std::move(bytes)) {}
  std::optional<std::size_t> read(std::span<std::byte> buffer) override {
    if (failAt && position_ >= *failAt) return std::nullopt;
    std::size_t n = std::min(buffer.size(), bytes_.size() - position_);
    std::memcpy(buffer.data(), bytes_.data() + position_, n);
    position_ += n;
    return n;
  }
  std::optional<std::size_t> write(std::span<const std::byte>) override { return std::nullopt; }
  bool flush() override { return false; }
  std::uint32_t error() const override { return 0; }
  std::optional<std::size_t> failAt;

 private:
  std::string bytes_;
  std::size_t position_ = 0;
};

using Lines = std::vector<std::string>;

bool startsWithFolded(const std::string& line, std::string_view prefix) {
  auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  if (line.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (fold(line[i]) != fold(prefix[i])) return false;
  return true;
}

// Every line that begins with prefix, and the line after each, by plain readLine.
Lines expected(const std::string& bytes, std::string_view prefix) {
  MemoryFile file(bytes);
  LineReader reader(file, 4096);
  Lines all;
  while (!reader.atEnd()) all.emplace_back(reader.readLine());
  Lines out;
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (!startsWithFolded(all[i], prefix)) continue;
    out.push_back(all[i]);
    if (i + 1 < all.size()) out.push_back(all[++i]);
  }
  return out;
}

// The same by skipping: each found line, then one readLine.
Lines skipping(const std::string& bytes, std::string_view prefix, std::size_t block) {
  MemoryFile file(bytes);
  LineReader reader(file, block);
  Lines out;
  while (auto line = reader.readLineStartingWith(prefix)) {
    out.emplace_back(*line);
    if (!reader.atEnd()) out.emplace_back(reader.readLine());
  }
  return out;
}

TEST(LineReaderSkip, FindsLinesStartingWithThePrefixAcrossBlocks) {
  std::string bytes = "intro [not\r\n[one]\r\nvalue\r\nx[no]\n\r\r[two]\rcr\n[three]";
  Lines want{"[one]", "value", "[two]cr", "[three]"};
  for (std::size_t block : {1u, 2u, 3u, 4u, 7u, 64u}) EXPECT_EQ(skipping(bytes, "[", block), want) << block;
}

TEST(LineReaderSkip, ComparesThePrefixWithAsciiFoldingAndDroppedCrs) {
  std::string bytes = "[Ke]\n[KEY\n[k\re\ry]x\n v\n[key] \r\n[kez]\n";
  Lines want{"[key]x", " v", "[key] ", "[kez]"};
  for (std::size_t block : {1u, 2u, 3u, 5u, 64u}) EXPECT_EQ(skipping(bytes, "[KEY]", block), want) << block;
  EXPECT_EQ(skipping("[\xC0]\n[\xE0]\n", "[\xE0]", 64), (Lines{"[\xE0]"}));
}

TEST(LineReaderSkip, AgreesWithPlainLineReadingOnRandomText) {
  std::mt19937 random(20240601);
  const char alphabet[] = {'[', ']', '\r', '\n', 'a', 'A', ' ', '\x1A'};
  for (int round = 0; round < 300; ++round) {
    std::string bytes(random() % 120, ' ');
    for (char& c : bytes) c = alphabet[random() % (round % 3 == 0 ? 8 : 7)];
    for (std::string_view prefix : {"[", "[a]", "[aA", "[]"}) {
      Lines want = expected(bytes, prefix);
      for (std::size_t block : {1u, 2u, 3u, 5u, 8u, 200u})
        ASSERT_EQ(skipping(bytes, prefix, block), want) << bytes << " / " << prefix;
    }
  }
}

TEST(LineReaderSkip, EndsAtAReadErrorAndReportsIt) {
  MemoryFile file("aaaa\n[b]\nc\n");
  file.failAt = 4;
  LineReader reader(file, 4);
  EXPECT_EQ(reader.readLineStartingWith("[b]"), std::nullopt);
  EXPECT_TRUE(reader.failed());
}

}  // namespace
}  // namespace nimbra
