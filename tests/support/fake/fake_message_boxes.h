// Scripted message boxes with a record of every box shown: its bytes, and
// the code page of each piece.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/message_boxes.h"

namespace nimbra::platform {

// Readable pieces in test failures: the code page, then the bytes, non-ASCII in hex.
inline void PrintTo(const TextPiece& piece, std::ostream* out) {
  constexpr char kHex[] = "0123456789ABCDEF";
  *out << '{' << piece.codePage << ": \"";
  for (unsigned char c : piece.bytes) {
    if (c >= 0x20 && c < 0x7F) *out << static_cast<char>(c);
    else *out << "\\x" << kHex[c >> 4] << kHex[c & 0xF];
  }
  *out << "\"}";
}

}  // namespace nimbra::platform

namespace nimbra::fake {

struct BoxRecord {
  enum class Function { MessageBoxW, MessageBoxExW };
  Function function;
  std::string caption;  // the bytes of all pieces, joined
  std::string text;
  std::uint32_t style;
  std::uint16_t language;  // 0 for MessageBoxW
  // The pieces with the code page each is shown from.
  std::vector<platform::TextPiece> captionPieces;
  std::vector<platform::TextPiece> textPieces;
};

class FakeMessageBoxes : public platform::MessageBoxes {
 public:
  std::vector<BoxRecord> shown;
  // Answers in order; when they run out a Yes/No box is answered IDYES and any other IDOK.
  std::deque<int> answers;
  std::function<void(const BoxRecord&)> onShow;

  int messageBox(const platform::BoxText& text, const platform::BoxText& caption, std::uint32_t style) override;
  int messageBoxEx(const platform::BoxText& text, const platform::BoxText& caption, std::uint32_t style,
                   std::uint16_t language) override;

 private:
  int show(BoxRecord record);
};

}  // namespace nimbra::fake
