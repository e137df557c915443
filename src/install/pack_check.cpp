#include "install/pack_check.h"

#include "install/crc32c.h"

namespace nimbra {

namespace {

constexpr std::string_view kTag = "C32C";
constexpr std::size_t kRecordSize = 12;

std::uint32_t LittleEndian32(std::span<const std::byte> bytes) {
  std::uint32_t value = 0;
  for (std::size_t i = 4; i-- > 0;) value = value << 8 | static_cast<std::uint32_t>(bytes[i]);
  return value;
}

}  // namespace

std::optional<PackCheck> ParsePackCheck(std::span<const std::byte> record) {
  if (record.size() != kRecordSize) return std::nullopt;
  for (std::size_t i = 0; i < kTag.size(); ++i)
    if (static_cast<char>(record[i]) != kTag[i]) return std::nullopt;
  return PackCheck{LittleEndian32(record.subspan(4, 4)), LittleEndian32(record.subspan(8, 4))};
}

std::string EncodePackCheck(const PackCheck& check) {
  std::string record(kTag);
  for (std::uint64_t field : {check.size, std::uint64_t{check.crc32c}})
    for (int byte = 0; byte < 4; ++byte) record += static_cast<char>((field >> (8 * byte)) & 0xFF);
  return record;
}

PackCheck PackCheckOf(std::span<const std::byte> bytes) {
  Crc32c crc;
  crc.update(bytes);
  return {bytes.size(), crc.value()};
}

std::string DescribePackCheck(const PackCheck& check) {
  std::string text = "CRC-32C 0x";
  for (int shift = 28; shift >= 0; shift -= 4) text += "0123456789abcdef"[(check.crc32c >> shift) & 0xF];
  text += " of ";
  text += std::to_string(static_cast<std::uint32_t>(check.size));  // a record holds 32 bits of it
  text += " bytes";
  return text;
}

}  // namespace nimbra
