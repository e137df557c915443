#include "platform/win32/win32_message_boxes.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace nimbra::win32 {

// The wide functions: the *A ones would read every byte in the system's code
// page, which garbles a text in another one.
int Win32MessageBoxes::messageBox(const platform::BoxText& text, const platform::BoxText& caption,
                                  std::uint32_t style) {
  return ::MessageBoxW(nullptr, WideText(text).c_str(), WideText(caption).c_str(), style);
}

int Win32MessageBoxes::messageBoxEx(const platform::BoxText& text, const platform::BoxText& caption,
                                    std::uint32_t style, std::uint16_t language) {
  return ::MessageBoxExW(nullptr, WideText(text).c_str(), WideText(caption).c_str(), style, language);
}

}  // namespace nimbra::win32
