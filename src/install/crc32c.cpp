#include "install/crc32c.h"

#include <array>
#include <cstring>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#define NIMBRA_CRC32C_INSTRUCTION 1
#endif

namespace nimbra {

namespace {

constexpr std::uint32_t kPolynomial = 0x82F63B78;

// Reflected bit order: bit 31 holds x^0, bit 0 holds x^31.
constexpr std::uint32_t MultiplyModP(std::uint32_t a, std::uint32_t b) {
  std::uint32_t product = 0;
  for (; a != 0; a <<= 1) {  // a's terms from x^0 up, until none is left
    if (a & (1u << 31)) product ^= b;
    b = (b & 1) ? (b >> 1) ^ kPolynomial : b >> 1;  // b *= x
  }
  return product;
}

constexpr std::uint32_t XPowerModP(std::uint64_t exponent) {
  std::uint32_t result = 1u << 31;  // x^0
  for (std::uint32_t square = 1u << 30; exponent != 0; exponent >>= 1) {
    if (exponent & 1) result = MultiplyModP(result, square);
    square = MultiplyModP(square, square);
  }
  return result;
}

// Made at each call, not stored: it costs the installer's file a kilobyte
// and takes microseconds beside the megabyte a call is given.
std::array<std::uint32_t, 256> MakeTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t byte = 0; byte < 256; ++byte) {
    std::uint32_t crc = byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ kPolynomial : crc >> 1;
    table[byte] = crc;
  }
  return table;
}

#ifdef NIMBRA_CRC32C_INSTRUCTION

// The instruction takes 3 cycles but starts one a cycle: three streams over
// neighbouring strides keep it busy, and their registers are joined by
// shifting each over the bytes that follow it (a multiplication mod P).
constexpr std::size_t kStride = 8192;
constexpr std::uint32_t kShiftOneStride = XPowerModP(8 * kStride);
constexpr std::uint32_t kShiftTwoStrides = XPowerModP(16 * kStride);

#ifdef __x86_64__
using Word = std::uint64_t;
[[gnu::target("sse4.2")]] inline std::uint32_t Step(std::uint32_t crc, Word word) {
  return static_cast<std::uint32_t>(__builtin_ia32_crc32di(crc, word));
}
#else
using Word = std::uint32_t;
[[gnu::target("sse4.2")]] inline std::uint32_t Step(std::uint32_t crc, Word word) {
  return __builtin_ia32_crc32si(crc, word);
}
#endif

[[gnu::target("sse4.2")]] inline std::uint32_t StepByte(std::uint32_t crc, std::byte byte) {
  return __builtin_ia32_crc32qi(crc, static_cast<unsigned char>(byte));
}

inline Word Load(const std::byte* at) {
  Word word;
  std::memcpy(&word, at, sizeof word);
  return word;
}

#endif  // NIMBRA_CRC32C_INSTRUCTION

}  // namespace

std::uint32_t Crc32cByTable(std::uint32_t state, std::span<const std::byte> bytes) {
  const std::array<std::uint32_t, 256> table = MakeTable();
  for (std::byte byte : bytes) state = table[(state ^ static_cast<std::uint32_t>(byte)) & 0xFF] ^ (state >> 8);
  return state;
}

#ifdef NIMBRA_CRC32C_INSTRUCTION

bool Crc32cHardwareAvailable() {
  unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
  return __get_cpuid(1, &eax, &ebx, &ecx, &edx) && (ecx & bit_SSE4_2) != 0;
}

[[gnu::target("sse4.2")]] std::uint32_t Crc32cByInstruction(std::uint32_t state, std::span<const std::byte> bytes) {
  const std::byte* at = bytes.data();
  std::size_t left = bytes.size();
  for (; left >= 3 * kStride; left -= 3 * kStride, at += 3 * kStride) {
    std::uint32_t first = state, second = 0, third = 0;
    for (std::size_t offset = 0; offset < kStride; offset += sizeof(Word)) {
      first = Step(first, Load(at + offset));
      second = Step(second, Load(at + kStride + offset));
      third = Step(third, Load(at + 2 * kStride + offset));
    }
    state = MultiplyModP(kShiftTwoStrides, first) ^ MultiplyModP(kShiftOneStride, second) ^ third;
  }
  for (; left >= sizeof(Word); left -= sizeof(Word), at += sizeof(Word)) state = Step(state, Load(at));
  for (; left > 0; --left, ++at) state = StepByte(state, *at);
  return state;
}

#else

bool Crc32cHardwareAvailable() { return false; }
std::uint32_t Crc32cByInstruction(std::uint32_t state, std::span<const std::byte> bytes) {
  return Crc32cByTable(state, bytes);
}

#endif

Crc32c::Crc32c() : hardware_(Crc32cHardwareAvailable()) {}

void Crc32c::update(std::span<const std::byte> bytes) {
  state_ = hardware_ ? Crc32cByInstruction(state_, bytes) : Crc32cByTable(state_, bytes);
}

}  // namespace nimbra
