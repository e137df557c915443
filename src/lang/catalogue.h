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
#include "platform/platform.h"

namespace nimbra {

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

 private:
  std::string lookup(std::string_view key, EntryExtent extent);

  platform::FileSystem& files_;
  platform::MessageBoxes& boxes_;
  Settings& settings_;
  LanguageFiles& languages_;
};

}  // namespace nimbra
