// Box texts as UTF-16, for the *W functions of user32.
#pragma once

#include <string>

#include "platform/box_text.h"

namespace nimbra::win32 {

// Each piece read in its own code page (MultiByteToWideChar). A piece whose
// code page this system cannot convert is read in the ANSI code page, as the
// *A functions would have shown it. An embedded NUL ends the text for
// Windows, as it does for the *A functions.
std::wstring WideText(const platform::BoxText& text);

}  // namespace nimbra::win32
