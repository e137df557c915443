#include "platform/win32/wide_text.h"

#include <windows.h>

#include <algorithm>
#include <climits>

namespace nimbra::win32 {

namespace {

// Appends bytes read in codePage; false, with nothing appended, when the
// system cannot convert from that code page.
bool appendConverted(std::wstring& wide, const std::string& bytes, UINT codePage) {
  const int byteCount = static_cast<int>(std::min<std::size_t>(bytes.size(), INT_MAX));
  // No MB_ERR_INVALID_CHARS: a byte that is no character in the code page
  // shows as the replacement character rather than losing the whole text.
  const int length = ::MultiByteToWideChar(codePage, 0, bytes.data(), byteCount, nullptr, 0);
  if (length <= 0) return false;
  const std::size_t at = wide.size();
  wide.resize(at + static_cast<std::size_t>(length));
  ::MultiByteToWideChar(codePage, 0, bytes.data(), byteCount, wide.data() + at, length);
  return true;
}

}  // namespace

std::wstring WideText(const platform::BoxText& text) {
  std::wstring wide;
  for (const platform::TextPiece& piece : text.pieces()) {
    if (!appendConverted(wide, piece.bytes, piece.codePage)) appendConverted(wide, piece.bytes, CP_ACP);
  }
  return wide;
}

std::wstring AnsiToWide(std::string_view name) {
  std::wstring wide;
  appendConverted(wide, std::string(name), CP_ACP);
  return wide;
}

std::string WideToAnsi(std::wstring_view name) {
  const int count = static_cast<int>(std::min<std::size_t>(name.size(), INT_MAX));
  const int length = ::WideCharToMultiByte(CP_ACP, 0, name.data(), count, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string ansi(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, name.data(), count, ansi.data(), length, nullptr, nullptr);
  return ansi;
}

}  // namespace nimbra::win32
