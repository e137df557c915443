// System message boxes in UTF-16 through user32, which is loaded with the first box.
#pragma once

#include "platform/message_boxes.h"
#include "platform/win32/system_library.h"

namespace nimbra::win32 {

class Win32MessageBoxes final : public platform::MessageBoxes {
 public:
  int messageBox(const platform::BoxText& text, const platform::BoxText& caption, std::uint32_t style) override;
  int messageBoxEx(const platform::BoxText& text, const platform::BoxText& caption, std::uint32_t style,
                   std::uint16_t language) override;

 private:
  OnDemandLibrary user32_{"user32.dll"};
};

}  // namespace nimbra::win32
