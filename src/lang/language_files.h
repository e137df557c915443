// Nimbra's language files: the language list built once per run from the
// "language" folder of the installation, the chosen (selected) file and the
// values read from its header. The entry creates the one instance and passes
// it to the catalogue; tests create fresh ones.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/settings.h"
#include "host/shared_registry.h"
#include "platform/platform.h"

namespace nimbra {

// A language file read whole, once: every lookup reads this text.
struct LanguageText {
  std::string bytes;
  bool failed = false;  // it could not be opened or read, is no plain disk file, or ran past the bounds
};

// Bounds on what a language file may cost: far beyond any real one, so that
// a file that never ends (a device, a pipe) or a folder of thousands of them
// costs seconds and megabytes, not the run.
inline constexpr std::size_t kLanguageFileByteLimit = 1024 * 1024;
inline constexpr std::size_t kLanguageTextByteBudget = 16 * 1024 * 1024;  // all texts held together
inline constexpr std::size_t kLanguageFileLimit = 1000;                   // files examined

struct LanguageEntry {
  std::string fileName;      // as listed, without folder, case kept
  std::string languageName;  // "langname"
  std::int32_t languageVersion = 0;  // "langver"
  std::int32_t characterSet = 255;   // "langcharset", read when the file is selected
  std::optional<LanguageText> text;  // once read
};

class LanguageFiles {
 public:
  static constexpr int kNone = -1;
  static constexpr std::int32_t kCharacterSetBeforeSelection = 255;

  const std::vector<LanguageEntry>& entries() const { return entries_; }
  int russianIndex() const { return russian_; }
  int englishIndex() const { return english_; }
  int localeMatchIndex() const { return localeMatch_; }
  // kNone while no language file is in use.
  int selectedIndex() const { return selected_; }
  // The file that supplies what the selected one lacks: Russian under the
  // Cyrillic UI flag, else English. kNone while that file is not listed.
  int defaultIndex(bool cyrillicUi) const { return cyrillicUi ? russian_ : english_; }
  const std::string& programDescription() const { return programDescription_; }
  std::int32_t characterSet() const { return characterSet_; }
  // The code page of the texts of entry index, from its character set; the
  // system's for a file not selected yet and for kNone.
  std::uint32_t codePageOf(int index) const;

  // Building the list and the selection; the loader does this, tests may too.
  // add() records the Russian and English indices by the name with A-Z
  // lowered and returns the new entry's index.
  int add(std::string fileName);
  LanguageEntry& entry(int index) { return entries_.at(static_cast<std::size_t>(index)); }
  void setLocaleMatch(int index) { localeMatch_ = index; }
  void setSelected(int index) { selected_ = index; }
  void setProgramDescription(std::string text) { programDescription_ = std::move(text); }
  // The selected file's character set.
  void setCharacterSet(std::int32_t number);
  // The "language" folder the files are read from, held open; null while
  // there is none.
  platform::Folder* folder() const { return folder_.get(); }
  void setFolder(std::unique_ptr<platform::Folder> folder) { folder_ = std::move(folder); }

 private:
  std::vector<LanguageEntry> entries_;
  int russian_ = kNone;
  int english_ = kNone;
  int localeMatch_ = kNone;
  int selected_ = kNone;
  std::string programDescription_;
  std::int32_t characterSet_ = kCharacterSetBeforeSelection;
  std::unique_ptr<platform::Folder> folder_;
};

// The text of entry index, read on first use through one handle opened in
// languages.folder(), at most kLanguageFileByteLimit bytes of it and only
// while the texts held stay within kLanguageTextByteBudget; past either, or
// when it is no plain disk file or is in use, it counts as a file that
// cannot be read.
const LanguageText& TextOfLanguageFile(LanguageFiles& languages, int index);

// Opens the "language" folder of the installation folder through its handle,
// then lists (at most platform::kListedEntryLimit entries, kLanguageFileLimit
// language files), validates and selects its language files into a fresh
// languages. True when a file is selected and the files are usable; false
// after an error box has been shown. Sets the program title and the message
// language id of settings from the selected file.
bool LoadLanguageFiles(platform::Platform& platform, Settings& settings, SharedRegistry& registry,
                       platform::Folder& installation, LanguageFiles& languages);

// Makes entry index the selected file and reads its header: program title
// (with the code page of the file it came from), program description,
// character set and message language id. False, after the "file contains
// errors" box, when its character set or first language code is not an
// integer; index stays selected then. False without a box for an index that
// is not in the list.
bool SelectLanguageFile(platform::Platform& platform, Settings& settings, LanguageFiles& languages, int index);

}  // namespace nimbra
