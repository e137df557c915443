#include "platform/win32/win32_message_boxes.h"

#include <windows.h>

#include "platform/win32/c_string.h"

namespace nimbra::win32 {

int Win32MessageBoxes::messageBox(std::string_view text, std::string_view caption,
                                  std::uint32_t style) {
  return ::MessageBoxA(nullptr, cString(text).c_str(), cString(caption).c_str(), style);
}

int Win32MessageBoxes::messageBoxEx(std::string_view text, std::string_view caption,
                                    std::uint32_t style, std::uint16_t language) {
  return ::MessageBoxExA(nullptr, cString(text).c_str(), cString(caption).c_str(), style,
                         language);
}

}  // namespace nimbra::win32
