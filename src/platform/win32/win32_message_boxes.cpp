#include "platform/win32/win32_message_boxes.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace nimbra::win32 {

// The wide functions: the *A ones would read every byte in the system's code
// page, which garbles a text in another one. Without user32 no box can be
// shown: 0 is how MessageBoxW itself reports that.
int Win32MessageBoxes::messageBox(const platform::BoxText& text, const platform::BoxText& caption,
                                  std::uint32_t style) {
  auto* show = user32_.get().procedure<decltype(::MessageBoxW)>("MessageBoxW");
  if (show == nullptr) return 0;
  return show(nullptr, WideText(text).c_str(), WideText(caption).c_str(), style);
}

int Win32MessageBoxes::messageBoxEx(const platform::BoxText& text, const platform::BoxText& caption,
                                    std::uint32_t style, std::uint16_t language) {
  auto* show = user32_.get().procedure<decltype(::MessageBoxExW)>("MessageBoxExW");
  if (show == nullptr) return 0;
  return show(nullptr, WideText(text).c_str(), WideText(caption).c_str(), style, language);
}

}  // namespace nimbra::win32
