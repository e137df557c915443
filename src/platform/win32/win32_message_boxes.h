// System message boxes through user32.
#pragma once

#include "platform/message_boxes.h"

namespace nimbra::win32 {

class Win32MessageBoxes final : public platform::MessageBoxes {
 public:
  int messageBox(std::string_view text, std::string_view caption, std::uint32_t style) override;
  int messageBoxEx(std::string_view text, std::string_view caption, std::uint32_t style,
                   std::uint16_t language) override;
};

}  // namespace nimbra::win32
