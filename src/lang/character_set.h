// The code page of a language file's texts, from its "langcharset": a
// Windows character set number, mapped as TranslateCharsetInfo(TCI_SRCCHARSET)
// maps it. Nimbra picks its font by that number; the installer reads the
// file's bytes in the matching code page.
#pragma once

#include <cstdint>

namespace nimbra {

// The code page (MultiByteToWideChar numbering) of characterSet.
// ANSI_CHARSET (0), DEFAULT_CHARSET (1) and every number without a code page
// of its own give the system's ANSI code page (platform::kSystemCodePage).
std::uint32_t CodePageOfCharacterSet(std::int32_t characterSet);

}  // namespace nimbra
