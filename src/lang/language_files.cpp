#include "lang/language_files.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "host/product_key.h"
#include "lang/catalogue.h"
#include "lang/character_set.h"
#include "lang/language_choice.h"
#include "lang/language_format.h"
#include "lang/presentation.h"
#include "platform/codes.h"
#include "text/ascii_case.h"

namespace nimbra {

namespace {

void ReportMissingFile(platform::MessageBoxes& boxes, const Settings& settings, std::string_view file) {
  ShowBilingualError(
      boxes, settings,
      EnglishText("Can't work with no ") + SystemText(file) + EnglishText(" file!\r\nPlease reinstall the program."),
      RussianText("Работа без файла ") + SystemText(file) +
          RussianText(" невозможна!\r\nПожалуйста, переустановите программу."));
}

void ReportFileContainsErrors(platform::MessageBoxes& boxes, const Settings& settings, std::string_view file) {
  ShowBilingualError(
      boxes, settings, SystemText(file) + EnglishText(" file contains errors.\r\nPlease reinstall the program."),
      RussianText("Файл ") + SystemText(file) + RussianText(" содержит ошибки!\r\nПожалуйста, переустановите программу."));
}

// The stored "LangFile" choice, when it is a string; anything else is no choice.
std::optional<std::string> ReadStoredChoice(SharedRegistry& registry, const Settings& settings) {
  auto productKey = OpenProductKey(registry, settings);
  if (!registry.valueExists("LangFile")) return std::nullopt;
  StringRead stored = registry.readString("LangFile");
  if (stored.status != ValueRead::Ok) return std::nullopt;
  return std::move(stored.text);
}

// Reads the language name, version and codes of entry i, which is selected.
// False after the "file contains errors" box when one of them is no integer.
bool ExamineLanguageFile(MessageCatalogue& catalogue, platform::MessageBoxes& boxes, const Settings& settings,
                         LanguageFiles& languages, int i) {
  LanguageEntry& entry = languages.entry(i);
  entry.languageName = catalogue.GetMessageText("langname");
  auto version = ParseLanguageInteger(catalogue.GetMessageText("langver"));
  if (!version) {
    ReportFileContainsErrors(boxes, settings, entry.fileName);
    return false;
  }
  entry.languageVersion = *version;
  std::string codes = catalogue.GetMessageLines("langcode");
  for (std::string_view piece : SplitTextLines(codes)) {
    auto code = ParseLanguageInteger(piece);
    if (!code) {
      ReportFileContainsErrors(boxes, settings, entry.fileName);
      return false;
    }
    // Every file serving the user's locale replaces an earlier one: the last listed wins.
    if (*code >= 0 && static_cast<std::uint32_t>(*code) == settings.userLcid) languages.setLocaleMatch(i);
  }
  return true;
}

}  // namespace

int LanguageFiles::add(std::string fileName) {
  int index = static_cast<int>(entries_.size());
  std::string lowered = ToLowerAscii(fileName);
  if (lowered == kRussianFileName) russian_ = index;
  else if (lowered == kEnglishFileName) english_ = index;
  LanguageEntry& entry = entries_.emplace_back();
  entry.fileName = std::move(fileName);
  return index;
}

void LanguageFiles::setCharacterSet(std::int32_t number) {
  characterSet_ = number;
  if (selected_ >= 0 && selected_ < static_cast<int>(entries_.size())) entry(selected_).characterSet = number;
}

std::uint32_t LanguageFiles::codePageOf(int index) const {
  if (index < 0 || index >= static_cast<int>(entries_.size())) return platform::kSystemCodePage;
  return CodePageOfCharacterSet(entries_[static_cast<std::size_t>(index)].characterSet);
}

const LanguageText& TextOfLanguageFile(LanguageFiles& languages, int index) {
  LanguageEntry& entry = languages.entry(index);
  if (entry.text) return *entry.text;
  std::size_t held = 0;
  for (const LanguageEntry& other : languages.entries())
    if (other.text) held += other.text->bytes.size();
  LanguageText& text = entry.text.emplace();
  const std::size_t limit = std::min(kLanguageFileByteLimit, kLanguageTextByteBudget - std::min(held, kLanguageTextByteBudget));
  platform::Folder* folder = languages.folder();
  platform::OpenedFile opened;
  if (folder)
    opened = folder->openFile(entry.fileName, platform::FileAccess::Read, win::kShareRead,
                              platform::FileCreation::OpenExisting);
  text.failed = !opened.file;
  std::vector<std::byte> block(64 * 1024);
  while (!text.failed) {
    std::optional<std::size_t> got = opened.file->read(block);
    if (!got) text.failed = true;
    if (!got || *got == 0) break;
    if (text.bytes.size() + *got > limit) {
      text.failed = true;  // ran past the bound: no language file is that long
      text.bytes.append(reinterpret_cast<const char*>(block.data()), limit - text.bytes.size());
      break;
    }
    text.bytes.append(reinterpret_cast<const char*>(block.data()), *got);
  }
  return text;
}

bool SelectLanguageFile(platform::Platform& platform, Settings& settings, LanguageFiles& languages, int index) {
  if (index < 0 || index >= static_cast<int>(languages.entries().size())) return false;
  languages.setSelected(index);
  MessageCatalogue catalogue(platform, settings, languages);
  CatalogueText title = catalogue.SourcedMessageText("progname");
  settings.programTitle = std::move(title.bytes);
  settings.programTitleCodePage = languages.codePageOf(title.file);
  languages.setProgramDescription(catalogue.GetMessageText("ProgDescr0"));
  // An unreadable file or a directory named like a language file ends here,
  // rather than leaving a selection whose box language no one knows.
  auto characterSet = ParseLanguageInteger(catalogue.GetMessageText("langcharset"));
  if (!characterSet) {
    ReportFileContainsErrors(platform.boxes, settings, languages.entries()[index].fileName);
    return false;
  }
  languages.setCharacterSet(*characterSet);
  // Known only now when the title came from this file.
  settings.programTitleCodePage = languages.codePageOf(title.file);
  auto languageId = ParseLanguageInteger(catalogue.GetMessageText("langcode"));
  if (!languageId) {
    ReportFileContainsErrors(platform.boxes, settings, languages.entries()[index].fileName);
    return false;
  }
  settings.messageLanguageId = *languageId;
  return true;
}

bool LoadLanguageFiles(platform::Platform& platform, Settings& settings, SharedRegistry& registry,
                       platform::Folder& installation, LanguageFiles& languages) {
  languages.setFolder(installation.openFolder("language"));
  // Every attribute is listed: a hidden or system file is as good, and a
  // folder named like a language file fails later as an unreadable file.
  if (platform::Folder* folder = languages.folder()) {
    for (const auto& listed : folder->list(platform::kListedEntryLimit)) {
      if (languages.entries().size() == kLanguageFileLimit) break;
      if (IsLanguageFileName(listed.name)) languages.add(listed.name);
    }
  }

  if (auto missing = MissingMandatoryFile(languages, settings.cyrillicUi)) {
    ReportMissingFile(platform.boxes, settings, *missing);
    return false;
  }

  MessageCatalogue catalogue(platform, settings, languages);
  int count = static_cast<int>(languages.entries().size());
  for (int i = 0; i < count; ++i) {
    if (!SelectLanguageFile(platform, settings, languages, i)) return false;
    if (!ExamineLanguageFile(catalogue, platform.boxes, settings, languages, i)) return false;
  }

  if (!SelectLanguageFile(platform, settings, languages, ChooseLanguage(languages, settings.cyrillicUi)))
    return false;

  if (auto stored = ReadStoredChoice(registry, settings)) {
    int chosen = FindStoredChoice(languages, *stored);
    if (chosen != LanguageFiles::kNone && !SelectLanguageFile(platform, settings, languages, chosen)) return false;
  }
  return true;
}

}  // namespace nimbra
