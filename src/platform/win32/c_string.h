// The *A functions take NUL-terminated strings; the interfaces hand out views.
#pragma once

#include <string>
#include <string_view>

namespace nimbra::win32 {

// A terminated copy of text. An embedded NUL ends the text for Windows, as it would
// for any caller of the *A functions.
inline std::string cString(std::string_view text) { return std::string(text); }

}  // namespace nimbra::win32
