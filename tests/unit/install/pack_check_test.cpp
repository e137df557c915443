// The checksum of the carried pack and the build's record of it.
#include "install/pack_check.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "install/crc32c.h"

namespace nimbra {
namespace {

std::span<const std::byte> Bytes(std::string_view text) { return std::as_bytes(std::span(text.data(), text.size())); }

std::uint32_t Crc(std::string_view text) {
  Crc32c crc;
  crc.update(Bytes(text));
  return crc.value();
}

TEST(Crc32c, GivesTheCastagnoliCheckValues) {
  EXPECT_EQ(Crc(""), 0u);
  EXPECT_EQ(Crc("123456789"), 0xE3069283u);
  EXPECT_EQ(Crc(std::string(32, '\0')), 0x8A9136AAu);
  EXPECT_EQ(Crc(std::string(32, '\xFF')), 0x62A8AB43u);
}

// The instruction's three interleaved strides are joined by arithmetic that
// only long inputs reach: around every boundary, and in pieces of any size,
// it must agree with the table.
TEST(Crc32c, TheInstructionAgreesWithTheTableAtEveryLengthAndSplit) {
  if (!Crc32cHardwareAvailable()) GTEST_SKIP() << "no SSE4.2 on this processor";
  std::vector<std::byte> data(3 * 3 * 8192 + 40);
  std::mt19937 random(6);
  for (std::byte& b : data) b = static_cast<std::byte>(random());
  const std::span<const std::byte> all(data);
  for (std::size_t length : {0, 1, 7, 8, 9, 24575, 24576, 24577, 49152 + 13, 73768}) {
    const auto part = all.first(length);
    EXPECT_EQ(Crc32cByInstruction(0xFFFFFFFF, part), Crc32cByTable(0xFFFFFFFF, part)) << length;
  }
  const std::uint32_t whole = Crc32cByTable(0xFFFFFFFF, all);
  for (std::size_t split : {1, 3, 24576, 30001}) {
    const std::uint32_t first = Crc32cByInstruction(0xFFFFFFFF, all.first(split));
    EXPECT_EQ(Crc32cByInstruction(first, all.subspan(split)), whole) << split;
  }
}

TEST(PackCheck, TheRecordCarriesSizeAndChecksumAndNothingElseReadsAsOne) {
  const PackCheck check{16582724, 0x1A2B3C4D};
  const std::string record = EncodePackCheck(check);
  EXPECT_EQ(record, std::string("C32C\x44\x08\xFD\x00\x4D\x3C\x2B\x1A", 12));
  EXPECT_EQ(ParsePackCheck(Bytes(record)), check);
  for (const std::string& bad : {record.substr(0, 11), record + '\0', "c32c" + record.substr(4), std::string()})
    EXPECT_FALSE(ParsePackCheck(Bytes(bad))) << bad.size();
  EXPECT_EQ(DescribePackCheck(check), "CRC-32C 0x1a2b3c4d of 16582724 bytes");
  EXPECT_EQ(PackCheckOf(Bytes("123456789")), (PackCheck{9, 0xE3069283u}));
}

}  // namespace
}  // namespace nimbra
