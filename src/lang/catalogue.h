// The message catalogue: message keys turned into texts of the selected
// language file, with the default language file supplying what the selected
// one lacks. Use it while a file is selected (after LoadLanguageFiles has
// returned true, and inside the load itself); without a selection every
// lookup is the empty text.
//
// No lookup fails towards the caller. A file that cannot be opened or read
// gets one "Can't handle the language support file" box per lookup, and the
// lookup yields the whole value lines read before the failure.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "host/settings.h"
#include "lang/entry_reader.h"
#include "lang/language_files.h"
#include "platform/box_text.h"
#include "platform/platform.h"

namespace nimbra {

// A text of the catalogue with the language file it came from.
struct CatalogueText {
  std::string bytes;
  int file = LanguageFiles::kNone;  // kNone when the key is in neither file
};

class MessageCatalogue {
 public:
  // Keeps references to the file system, the message boxes, settings and
  // languages; all must outlive the catalogue.
  MessageCatalogue(platform::Platform& platform, Settings& settings, LanguageFiles& languages);

  // The first value line of key (matched with A-Z folded), unchanged.
  std::string GetMessageText(std::string_view key);
  // All value lines of key, joined by CR LF.
  std::string GetMessageLines(std::string_view key);
  // The same, with %1..%4 replaced by up to four arguments.
  std::string FormatMessageText(std::string_view key, std::initializer_list<std::string_view> arguments);
  std::string FormatMessageLines(std::string_view key, std::initializer_list<std::string_view> arguments);

  // GetMessageText with the file the text came from: the selected one, or the
  // default one for a fallback.
  CatalogueText SourcedMessageText(std::string_view key);

  // The same texts for a box: each in the code page of the file it came from,
  // and each argument in its own.
  platform::BoxText text(std::string_view key);
  platform::BoxText lines(std::string_view key);
  platform::BoxText formatText(std::string_view key, std::initializer_list<platform::BoxText> arguments);
  platform::BoxText formatLines(std::string_view key, std::initializer_list<platform::BoxText> arguments);

 private:
  CatalogueText lookup(std::string_view key, EntryExtent extent);
  platform::BoxText boxText(const CatalogueText& text) const;

  platform::MessageBoxes& boxes_;
  Settings& settings_;
  LanguageFiles& languages_;
};

}  // namespace nimbra
