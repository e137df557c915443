#include "lang/catalogue.h"

#include <span>

#include "lang/language_format.h"
#include "lang/presentation.h"

namespace nimbra {

MessageCatalogue::MessageCatalogue(platform::Platform& platform, Settings& settings, LanguageFiles& languages)
    : boxes_(platform.boxes), settings_(settings), languages_(languages) {}

CatalogueText MessageCatalogue::lookup(std::string_view key, EntryExtent extent) {
  int count = static_cast<int>(languages_.entries().size());
  int selected = languages_.selectedIndex();
  if (selected < 0 || selected >= count) return {};
  const LanguageText& selectedText = TextOfLanguageFile(languages_, selected);
  EntryRead read = ReadEntry(selectedText.bytes, selectedText.failed, key, extent);
  // A file cut at its bound is no language file, whatever its start holds.
  if (read.failed || selectedText.failed) {
    // What could not be read is not known to be absent, so the default file is not asked.
    ReportLanguageFileError(boxes_, settings_, languages_.entries()[selected].fileName);
    return {std::move(read.text), selected};
  }
  if (!read.text.empty()) return {std::move(read.text), selected};

  int fallback = languages_.defaultIndex(settings_.cyrillicUi);
  // Scanning the selected file a second time could not find more.
  if (fallback < 0 || fallback >= count || fallback == selected) return {};
  const LanguageText& fallbackText = TextOfLanguageFile(languages_, fallback);
  read = ReadEntry(fallbackText.bytes, fallbackText.failed, key, extent);
  if (read.failed || fallbackText.failed) ReportLanguageFileError(boxes_, settings_, languages_.entries()[fallback].fileName);
  if (read.text.empty()) return {};
  return {std::move(read.text), fallback};
}

platform::BoxText MessageCatalogue::boxText(const CatalogueText& text) const {
  return platform::BoxText(text.bytes, languages_.codePageOf(text.file));
}

std::string MessageCatalogue::GetMessageText(std::string_view key) {
  return lookup(key, EntryExtent::FirstLine).bytes;
}

std::string MessageCatalogue::GetMessageLines(std::string_view key) {
  return lookup(key, EntryExtent::AllLines).bytes;
}

std::string MessageCatalogue::FormatMessageText(std::string_view key,
                                                std::initializer_list<std::string_view> arguments) {
  return SubstitutePlaceholders(GetMessageText(key), std::span(arguments.begin(), arguments.size()));
}

std::string MessageCatalogue::FormatMessageLines(std::string_view key,
                                                 std::initializer_list<std::string_view> arguments) {
  return SubstitutePlaceholders(GetMessageLines(key), std::span(arguments.begin(), arguments.size()));
}

CatalogueText MessageCatalogue::SourcedMessageText(std::string_view key) {
  return lookup(key, EntryExtent::FirstLine);
}

platform::BoxText MessageCatalogue::text(std::string_view key) { return boxText(lookup(key, EntryExtent::FirstLine)); }

platform::BoxText MessageCatalogue::lines(std::string_view key) { return boxText(lookup(key, EntryExtent::AllLines)); }

platform::BoxText MessageCatalogue::formatText(std::string_view key,
                                               std::initializer_list<platform::BoxText> arguments) {
  return SubstitutePlaceholders(text(key), std::span(arguments.begin(), arguments.size()));
}

platform::BoxText MessageCatalogue::formatLines(std::string_view key,
                                                std::initializer_list<platform::BoxText> arguments) {
  return SubstitutePlaceholders(lines(key), std::span(arguments.begin(), arguments.size()));
}

}  // namespace nimbra
