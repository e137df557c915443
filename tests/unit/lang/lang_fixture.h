// The fake world as the language unit sees it: an installation folder with a
// "language" folder, the settings record and the shared registry.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

#include "fake/fake_world.h"
#include "host/settings.h"
#include "host/shared_registry.h"
#include "lang/catalogue.h"
#include "lang/language_files.h"
#include "platform/codes.h"

namespace nimbra::testing {

inline constexpr std::string_view kFolder = "C:\\Program Files\\Nimbra\\";
inline constexpr std::string_view kLanguageFolder = "C:\\Program Files\\Nimbra\\language\\";
inline constexpr std::string_view kProductKey = "Software\\Tarvel\\Nimbra";

// A language file of CR LF lines.
inline std::string Lines(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) text.append(line).append("\r\n");
  return text;
}

struct Header {
  std::string name = "English";
  std::string version = "3";
  std::string codes = "1033";  // value lines, CR LF between them
  std::string charset = "0";
  std::string title = "Nimbra sounds";
  std::string description = "Sound packs for Nimbra";
};

// A complete header, then whatever entries follow.
inline std::string HeaderFile(const Header& header, std::string_view entries = {}) {
  return "[langname]\r\n" + header.name + "\r\n\r\n[langver]\r\n" + header.version + "\r\n\r\n[langcode]\r\n" +
         header.codes + "\r\n\r\n[langcharset]\r\n" + header.charset + "\r\n\r\n[progname]\r\n" + header.title +
         "\r\n\r\n[ProgDescr0]\r\n" + header.description + "\r\n\r\n" + std::string(entries);
}

inline Header RussianHeader() {
  return {"Русский", "4", "1049", "204", "Нимбра", "Звуковые пакеты"};
}

class LangTest : public ::testing::Test {
 protected:
  LangTest() {
    settings.productKey = "Nimbra";
    settings.programTitle = "Обновление программы \"Нимбра\"";
    settings.englishTitle = "Nimbra update";
    settings.installationFolder = std::string(kFolder);
    settings.userLcid = 1033;
  }

  void addLanguageFile(std::string_view name, std::string_view content) {
    world.files.addFile(std::string(kLanguageFolder) + std::string(name), content);
  }
  std::string path(std::string_view name) const { return std::string(kLanguageFolder) + std::string(name); }

  // Lists the files as LoadLanguageFiles would and selects one, without reading any header.
  void listAndSelect(std::initializer_list<std::string_view> names, int selected) {
    for (std::string_view name : names) languages.add(std::string(name));
    languages.setSelected(selected);
    if (!world.files.exists(kLanguageFolder)) world.files.addFolder(kLanguageFolder);
    languages.setFolder(world.files.openFolder(kLanguageFolder).folder);
  }

  // Through the installation folder, held open as the run holds it.
  bool load() { return loadInto(languages); }
  bool loadInto(LanguageFiles& fresh) {
    if (!world.files.exists(settings.installationFolder)) world.files.addFolder(settings.installationFolder);
    auto installation = world.files.openFolder(settings.installationFolder).folder;
    return LoadLanguageFiles(platform, settings, registry, *installation, fresh);
  }

  // The open calls that reached file name, in order.
  int opensOf(std::string_view name) const {
    std::string lowered;
    for (char c : path(name)) lowered.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c);
    int count = 0;
    for (const std::string& entry : world.files.log())
      if (entry.starts_with(lowered + " ")) ++count;
    return count;
  }

  fake::FakeWorld world;
  platform::Platform platform = world.platform();
  Settings settings;
  SharedRegistry registry{world.registry, win::kKeyAllAccess};
  LanguageFiles languages;
};

}  // namespace nimbra::testing
