#include "text/line_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace nimbra {
namespace {

using platform::File;

// A file whose reads hand out at most `chunk` bytes, so that lines straddle blocks.
class BytesFile : public File {
 public:
  explicit BytesFile(std::string bytes, std::size_t chunk = 1 << 20) : bytes_(std::move(bytes)), chunk_(chunk) {}
  std::optional<std::size_t> read(std::span<std::byte> buffer) override {
    if (failAt_ && position_ >= *failAt_) return std::nullopt;
    std::size_t n = std::min({buffer.size(), chunk_, bytes_.size() - position_});
    std::memcpy(buffer.data(), bytes_.data() + position_, n);
    position_ += n;
    return n;
  }
  std::optional<std::size_t> write(std::span<const std::byte>) override { return std::nullopt; }
  bool flush() override { return false; }
  std::uint32_t error() const override { return 0; }
  std::optional<std::size_t> failAt_;

 private:
  std::string bytes_;
  std::size_t chunk_;
  std::size_t position_ = 0;
};

std::vector<std::string> readAll(File& file, std::size_t block) {
  LineReader reader(file, block);
  std::vector<std::string> lines;
  while (!reader.atEnd()) lines.emplace_back(reader.readLine());
  return lines;
}

using Lines = std::vector<std::string>;

TEST(LineReader, SplitsAtLfAndCrLfAndDropsLoneCr) {
  for (std::size_t block : {1u, 2u, 3u, 7u, 4096u}) {
    BytesFile file("one\r\ntwo\nth\rree\r\r\n\nlast", 5);
    EXPECT_EQ(readAll(file, block), (Lines{"one", "two", "three", "", "last"})) << block;
  }
}

TEST(LineReader, CtrlZEndsTheText) {
  BytesFile file("a\nb\x1A" "c\nd\n");
  EXPECT_EQ(readAll(file, 64), (Lines{"a", "b"}));
}

TEST(LineReader, FinalTerminatorAddsNoEmptyLine) {
  BytesFile file("a\r\n");
  EXPECT_EQ(readAll(file, 64), (Lines{"a"}));
  BytesFile empty("");
  LineReader reader(empty);
  EXPECT_TRUE(reader.atEnd());
  EXPECT_EQ(reader.readLine(), "");
}

TEST(LineReader, ReadErrorEndsTheTextAndIsReported) {
  BytesFile file("a\nb\nc\n", 2);
  file.failAt_ = 4;
  LineReader reader(file, 2);
  Lines lines;
  while (!reader.atEnd()) lines.emplace_back(reader.readLine());
  EXPECT_EQ(lines, (Lines{"a", "b"}));
  EXPECT_TRUE(reader.failed());
}

}  // namespace
}  // namespace nimbra
