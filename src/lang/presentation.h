// The three ways the installer shows an error: a built-in English/Russian
// pair, a text of the message catalogue, and the error for a language file
// that cannot be handled. Every error box has no owner window and the style
// MB_ICONERROR | MB_SERVICE_NOTIFICATION; its answer is not used.
//
// Texts are box texts (platform/box_text.h): built-in texts are made with
// EnglishText and RussianText, and whatever the system supplies (a path, a
// folder, a file name) joins them as SystemText.
#pragma once

#include <string_view>

#include "host/settings.h"
#include "platform/box_text.h"
#include "platform/message_boxes.h"

namespace nimbra {

// Built-in English: ASCII, which reads the same in every ANSI code page.
platform::BoxText EnglishText(std::string_view ascii);
// Built-in Russian: Windows-1251 bytes.
platform::BoxText RussianText(std::string_view windows1251);
// Bytes from the system, in its ANSI code page.
platform::BoxText SystemText(std::string_view bytes);
// The program title in its own code page.
platform::BoxText ProgramTitle(const Settings& settings);

// Russian text (MessageBoxExW, program title, language 25) under the Cyrillic
// UI flag, else English text (MessageBoxW, English title).
void ShowBilingualError(platform::MessageBoxes& boxes, const Settings& settings,
                        const platform::BoxText& englishText, const platform::BoxText& russianText);

// MessageBoxExW with the program title and the low 16 bits of the message language id.
void ShowCatalogueMessage(platform::MessageBoxes& boxes, const Settings& settings, const platform::BoxText& text);

// The built-in error for a language file that cannot be opened or read.
void ReportLanguageFileError(platform::MessageBoxes& boxes, const Settings& settings,
                             std::string_view fileName);

}  // namespace nimbra
