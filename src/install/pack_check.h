// What the build recorded of the pack it embedded, so that a damaged
// installer (a bad download, a bad sector, a copy cut short and padded) is
// told from a good one before anything is written. The record is a resource
// of its own, RCDATA "PACKCHECK", 12 bytes: the tag "C32C", then the pack's
// size and its CRC-32C, each 4 bytes, little-endian (resources/pack_tool.py
// writes it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace nimbra {

inline constexpr std::string_view kPackCheckResourceName = "PACKCHECK";
inline constexpr std::string_view kPackCheckResourceType = "#10";  // RT_RCDATA

struct PackCheck {
  std::uint64_t size = 0;
  std::uint32_t crc32c = 0;
  bool operator==(const PackCheck&) const = default;
};

// The record's fields; nullopt unless it is exactly a record of this form.
std::optional<PackCheck> ParsePackCheck(std::span<const std::byte> record);
// The record of check, as the build writes it (sizes up to 4 GiB - 1).
std::string EncodePackCheck(const PackCheck& check);
// The check of bytes, as the build computes it.
PackCheck PackCheckOf(std::span<const std::byte> bytes);

// For the log: "CRC-32C 0x1a2b3c4d of 16582724 bytes".
std::string DescribePackCheck(const PackCheck& check);

// What the installer checks the carried bytes against.
struct CarriedPackCheck {
  bool enabled = true;                // false only in the benchmark's build that measures the check's cost
  std::optional<PackCheck> expected;  // the build's record; none in a damaged installer
};

}  // namespace nimbra
