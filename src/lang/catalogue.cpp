#include "lang/catalogue.h"

#include <span>

#include "lang/language_format.h"
#include "lang/presentation.h"

namespace nimbra {

MessageCatalogue::MessageCatalogue(platform::Platform& platform, Settings& settings, LanguageFiles& languages)
    : files_(platform.files), boxes_(platform.boxes), settings_(settings), languages_(languages) {}

std::string MessageCatalogue::lookup(std::string_view key, EntryExtent extent) {
  int count = static_cast<int>(languages_.entries().size());
  int selected = languages_.selectedIndex();
  if (selected < 0 || selected >= count) return {};
  EntryRead read = ReadEntry(files_, LanguageFilePath(settings_, languages_, selected), key, extent);
  if (read.failed) {
    // What could not be read is not known to be absent, so the default file is not asked.
    ReportLanguageFileError(boxes_, settings_, languages_.entries()[selected].fileName);
    return std::move(read.text);
  }
  if (!read.text.empty()) return std::move(read.text);

  int fallback = languages_.defaultIndex(settings_.cyrillicUi);
  // Scanning the selected file a second time could not find more.
  if (fallback < 0 || fallback >= count || fallback == selected) return {};
  read = ReadEntry(files_, LanguageFilePath(settings_, languages_, fallback), key, extent);
  if (read.failed) ReportLanguageFileError(boxes_, settings_, languages_.entries()[fallback].fileName);
  return std::move(read.text);
}

std::string MessageCatalogue::GetMessageText(std::string_view key) { return lookup(key, EntryExtent::FirstLine); }

std::string MessageCatalogue::GetMessageLines(std::string_view key) { return lookup(key, EntryExtent::AllLines); }

std::string MessageCatalogue::FormatMessageText(std::string_view key,
                                                std::initializer_list<std::string_view> arguments) {
  return SubstitutePlaceholders(GetMessageText(key), std::span(arguments.begin(), arguments.size()));
}

std::string MessageCatalogue::FormatMessageLines(std::string_view key,
                                                 std::initializer_list<std::string_view> arguments) {
  return SubstitutePlaceholders(GetMessageLines(key), std::span(arguments.begin(), arguments.size()));
}

}  // namespace nimbra
