// Which language files exist and which one to use: pure decisions over the
// language list, so that the precedence (stored choice, locale, Russian for
// the Cyrillic UI, English) is tested without files.
#pragma once

#include <optional>
#include <string_view>

#include "lang/language_files.h"

namespace nimbra {

inline constexpr std::string_view kEnglishFileName = "english.lng";
inline constexpr std::string_view kRussianFileName = "russian.lng";

// A listed name that is a language file: a single name (platform::IsSingleName)
// that ends in ".lng" (A-Z folded) and has no "!". Its path is the language
// folder joined to it, so a name that leads elsewhere is never one.
bool IsLanguageFileName(std::string_view name);

// The mandatory file that is missing: "russian.lng" under the Cyrillic UI
// flag, else "english.lng"; nullopt when both needed files are listed.
std::optional<std::string_view> MissingMandatoryFile(const LanguageFiles& languages, bool cyrillicUi);

// The file to select before the stored choice: the locale match, else Russian
// under the Cyrillic UI flag, else English.
int ChooseLanguage(const LanguageFiles& languages, bool cyrillicUi);

// The entry to select for the stored "LangFile" name: the first whose file
// name equals it byte for byte. kNone when it names the selected file already
// or no listed file, so that the current selection stands.
int FindStoredChoice(const LanguageFiles& languages, std::string_view storedName);

}  // namespace nimbra
