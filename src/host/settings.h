// The process-wide settings record: filled at start-up and by the update run,
// read by every subsystem. The entry owns the one instance.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace nimbra {

inline constexpr std::string_view kSystemKeyBase = "Software\\Microsoft\\Windows\\CurrentVersion\\";
inline constexpr std::string_view kVendorKeyPrefix = "Software\\Tarvel\\";

struct Settings {
  std::string productKey;          // "Nimbra": registry keys and the executable's stem
  std::string programTitle;        // caption of Russian built-in boxes and catalogue boxes
  // The code page programTitle is read in: Windows-1251 for the built-in
  // title, else that of the language file it came from (0: the system's).
  std::uint32_t programTitleCodePage = 0;
  std::string englishTitle;        // caption of English built-in boxes
  std::int32_t messageLanguageId = -1;  // its low 16 bits are the language of catalogue boxes
  std::string packVersionText;     // the carried pack's version in decimal
  std::string installationFolder;  // ends with a backslash once set
  std::string uninstallKeyPrefix;  // system key base + "Uninstall\"
  bool isAdministrator = true;
  std::string startArgument;   // argument 1, ASCII lower-cased; empty when there is none
  std::string finishArgument;  // argument 2, the same way: "runapp" ends a modest run by starting Nimbra
  std::uint32_t userLcid = 0;
  bool cyrillicUi = false;  // Russian built-in texts, language 25 for built-in boxes
};

}  // namespace nimbra
