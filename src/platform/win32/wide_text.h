// Box texts as UTF-16, for the *W functions of user32.
#pragma once

#include <string>
#include <string_view>

#include "platform/box_text.h"

namespace nimbra::win32 {

// Each piece read in its own code page (MultiByteToWideChar). A piece whose
// code page this system cannot convert is read in the ANSI code page, as the
// *A functions would have shown it. An embedded NUL ends the text for
// Windows, as it does for the *A functions.
std::wstring WideText(const platform::BoxText& text);

// File names between the ANSI code page, in which the *A functions take them,
// and UTF-16, in which the system keeps them. A character the code page lacks
// comes out as "?", which names no file: as the *A functions list it.
std::wstring AnsiToWide(std::string_view name);
std::string WideToAnsi(std::wstring_view name);

}  // namespace nimbra::win32
