// Numbers as text without the printf family, whose implementation would be
// about 25 KB of the installer.
#pragma once

#include <cstdint>
#include <string>

namespace nimbra {

// value in decimal, with leading zeros up to at least `digits` digits.
inline std::string PaddedDecimal(std::uint32_t value, int digits = 1) {
  std::string text;
  do {
    text.insert(text.begin(), static_cast<char>('0' + value % 10));
    value /= 10;
  } while (value != 0 || static_cast<int>(text.size()) < digits);
  return text;
}

// value in upper-case hexadecimal, with leading zeros up to at least `digits` digits.
inline std::string UpperHex(std::uint32_t value, int digits = 1) {
  std::string text;
  do {
    text.insert(text.begin(), "0123456789ABCDEF"[value % 16]);
    value /= 16;
  } while (value != 0 || static_cast<int>(text.size()) < digits);
  return text;
}

}  // namespace nimbra
