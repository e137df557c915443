// System message boxes through user32, in UTF-16.
#pragma once

#include "platform/message_boxes.h"

namespace nimbra::win32 {

class Win32MessageBoxes final : public platform::MessageBoxes {
 public:
  int messageBox(const platform::BoxText& text, const platform::BoxText& caption, std::uint32_t style) override;
  int messageBoxEx(const platform::BoxText& text, const platform::BoxText& caption, std::uint32_t style,
                   std::uint16_t language) override;
};

}  // namespace nimbra::win32
