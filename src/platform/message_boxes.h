// System message boxes with no owner window. Both return the button pressed
// (IDOK, IDYES, IDNO, ...), or 0 when the box could not be shown.
#pragma once

#include <cstdint>
#include <string_view>

namespace nimbra::platform {

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // MessageBoxA(nullptr, text, caption, style).
  virtual int messageBox(std::string_view text, std::string_view caption, std::uint32_t style) = 0;
  // MessageBoxExA(nullptr, text, caption, style, language).
  virtual int messageBoxEx(std::string_view text, std::string_view caption, std::uint32_t style,
                           std::uint16_t language) = 0;
};

}  // namespace nimbra::platform
