// System message boxes with no owner window. Each text is shown as the user
// reads it: every piece from its own code page (see box_text.h). Both return
// the button pressed (IDOK, IDYES, IDNO, ...), or 0 when the box could not be
// shown.
#pragma once

#include <cstdint>

#include "platform/box_text.h"

namespace nimbra::platform {

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // MessageBoxW(nullptr, text, caption, style).
  virtual int messageBox(const BoxText& text, const BoxText& caption, std::uint32_t style) = 0;
  // MessageBoxExW(nullptr, text, caption, style, language).
  virtual int messageBoxEx(const BoxText& text, const BoxText& caption, std::uint32_t style,
                           std::uint16_t language) = 0;
};

}  // namespace nimbra::platform
