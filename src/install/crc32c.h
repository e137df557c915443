// CRC-32C (Castagnoli: reflected polynomial 0x82F63B78, as iSCSI and SSE4.2
// define it), the checksum the build records of the carried pack. It catches
// every change of up to 32 consecutive bits, so every single changed byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace nimbra {

// Fed in pieces, in order; value() is the checksum of all bytes so far.
// Uses the processor's crc32 instruction where it has one (SSE4.2), a table
// where it has not: both give the same value.
class Crc32c {
 public:
  Crc32c();
  void update(std::span<const std::byte> bytes);
  std::uint32_t value() const { return ~state_; }

 private:
  std::uint32_t state_ = 0xFFFFFFFF;
  bool hardware_ = false;
};

// The two ways, for the tests: each takes and returns the raw register (no
// pre- or post-inversion).
std::uint32_t Crc32cByTable(std::uint32_t state, std::span<const std::byte> bytes);
bool Crc32cHardwareAvailable();
// Only where Crc32cHardwareAvailable() is true.
std::uint32_t Crc32cByInstruction(std::uint32_t state, std::span<const std::byte> bytes);

}  // namespace nimbra
