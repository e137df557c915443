#include "platform/win32/win32_message_boxes.h"

#include <windows.h>

#include "platform/win32/c_string.h"

namespace nimbra::win32 {

// Without user32 no box can be shown: 0 is how MessageBoxA itself reports that.
int Win32MessageBoxes::messageBox(std::string_view text, std::string_view caption,
                                  std::uint32_t style) {
  auto* show = user32_.get().procedure<decltype(::MessageBoxA)>("MessageBoxA");
  if (show == nullptr) return 0;
  return show(nullptr, cString(text).c_str(), cString(caption).c_str(), style);
}

int Win32MessageBoxes::messageBoxEx(std::string_view text, std::string_view caption,
                                    std::uint32_t style, std::uint16_t language) {
  auto* show = user32_.get().procedure<decltype(::MessageBoxExA)>("MessageBoxExA");
  if (show == nullptr) return 0;
  return show(nullptr, cString(text).c_str(), cString(caption).c_str(), style, language);
}

}  // namespace nimbra::win32
