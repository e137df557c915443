// The three ways the installer shows an error: a built-in English/Russian
// pair, a text of the message catalogue, and the error for a language file
// that cannot be handled. Every error box has no owner window and the style
// MB_ICONERROR | MB_SERVICE_NOTIFICATION; its answer is not used.
#pragma once

#include <string_view>

#include "host/settings.h"
#include "platform/message_boxes.h"

namespace nimbra {

// Russian text (MessageBoxExA, program title, language 25) under the Cyrillic
// UI flag, else English text (MessageBoxA, English title). Russian texts are
// Windows-1251 bytes.
void ShowBilingualError(platform::MessageBoxes& boxes, const Settings& settings,
                        std::string_view englishText, std::string_view russianText);

// MessageBoxExA with the program title and the low 16 bits of the message language id.
void ShowCatalogueMessage(platform::MessageBoxes& boxes, const Settings& settings, std::string_view text);

// The built-in error for a language file that cannot be opened or read.
void ReportLanguageFileError(platform::MessageBoxes& boxes, const Settings& settings,
                             std::string_view fileName);

}  // namespace nimbra
