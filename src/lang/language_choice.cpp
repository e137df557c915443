#include "lang/language_choice.h"

#include <algorithm>
#include <string>

#include "platform/path_form.h"
#include "text/ascii_case.h"

namespace nimbra {

bool IsLanguageFileName(std::string_view name) {
  // "*.lng" also lists names like "x.lngold" whose 8.3 short name ends in .LNG;
  // those are not language files.
  return platform::IsSingleName(name) && name.find('!') == std::string_view::npos && name.size() >= 4 &&
         EqualIgnoringAsciiCase(name.substr(name.size() - 4), ".lng");
}

std::optional<std::string_view> MissingMandatoryFile(const LanguageFiles& languages, bool cyrillicUi) {
  if (cyrillicUi && languages.russianIndex() == LanguageFiles::kNone) return kRussianFileName;
  if (languages.englishIndex() == LanguageFiles::kNone) return kEnglishFileName;
  return std::nullopt;
}

int ChooseLanguage(const LanguageFiles& languages, bool cyrillicUi) {
  if (languages.localeMatchIndex() != LanguageFiles::kNone) return languages.localeMatchIndex();
  return cyrillicUi ? languages.russianIndex() : languages.englishIndex();
}

int FindStoredChoice(const LanguageFiles& languages, std::string_view storedName) {
  const auto& entries = languages.entries();
  int selected = languages.selectedIndex();
  if (selected >= 0 && static_cast<std::size_t>(selected) < entries.size() &&
      entries[static_cast<std::size_t>(selected)].fileName == storedName)
    return LanguageFiles::kNone;
  auto found = std::find_if(entries.begin(), entries.end(),
                            [&](const LanguageEntry& entry) { return entry.fileName == storedName; });
  return found == entries.end() ? LanguageFiles::kNone : static_cast<int>(found - entries.begin());
}

}  // namespace nimbra
