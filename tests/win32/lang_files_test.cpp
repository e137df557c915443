// The language unit on the real platform: a "language" folder of real files
// (Windows-1251 Russian ones and an English.LNG), listed and read through the
// folder held open, and the stored choice in the real registry.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "host/settings.h"
#include "host/shared_registry.h"
#include "lang/catalogue.h"
#include "lang/entry_reader.h"
#include "lang/language_files.h"
#include "platform/codes.h"
#include "platform/win32/handles.h"
#include "platform/win32/win32_platform.h"
#include "test_support.h"
#include "install_support.h"

namespace nimbra::win32 {
namespace {

constexpr std::string_view kVendorPrefix = "Software\\Tarvel\\";

const std::string kEnglish =
    "[langname]\r\nEnglish\r\n\r\n[langver]\r\n3\r\n\r\n[langcode]\r\n1033\r\n2057\r\n\r\n"
    "[langcharset]\r\n0\r\n\r\n[progname]\r\nNimbra update\r\n\r\n[ProgDescr0]\r\nSound packs\r\n\r\n"
    "[installask]\r\nInstall %2 into %1?\r\nNimbra will be closed.\r\n\r\n"
    "[crickets]\r\nCrickets\r\n\r\n[NoRight]\r\nYou need administrator rights.\r\nAsk your administrator.\r\n";

// Narrow literals are Windows-1251 in this build, so this is the file's real bytes.
const std::string kRussian =
    "[langname]\r\nРусский\r\n\r\n[langver]\r\n4\r\n\r\n[langcode]\r\n1049\r\n\r\n"
    "[langcharset]\r\n204\r\n\r\n[progname]\r\nОбновление Нимбры\r\n\r\n[ProgDescr0]\r\nЗвуковые пакеты\r\n\r\n"
    "[installask]\r\nУстановить %2 в %1?\r\nНимбра будет закрыта.\r\n\r\n[crickets]\r\nСверчки\r\n";

// Serves Ukrainian and lacks most message keys: the default file supplies them.
const std::string kUkrainian =
    "[langname]\r\nУкраїнська\r\n\r\n[langver]\r\n1\r\n\r\n[langcode]\r\n1058\r\n\r\n"
    "[langcharset]\r\n204\r\n\r\n[progname]\r\nОновлення Німбри\r\n\r\n[crickets]\r\nЦвіркуни\r\n";

class LangFilesTest : public ::testing::Test {
 protected:
  LangFilesTest() {
    settings.productKey = scratchKey.substr(kVendorPrefix.size());
    settings.installationFolder = folder;
    settings.programTitle = "Обновление программы \"Нимбра\"";
    settings.englishTitle = "Nimbra update";
    ::CreateDirectoryA((folder + "language").c_str(), nullptr);
    write("English.LNG", kEnglish);
    write("russian.lng", kRussian);
    write("ukrainian.lng", kUkrainian);
    write("old!russian.lng", "not a language file");
  }
  ~LangFilesTest() override { testing::deleteTree(folder.substr(0, folder.size() - 1)); }

  void write(const std::string& name, std::string_view bytes) {
    testing::writeWholeFile(folder + "language\\" + name, bytes);
  }
  std::string selectedName() const {
    return languages.entries().at(static_cast<std::size_t>(languages.selectedIndex())).fileName;
  }
  bool load() { return loadWith(platform); }
  bool loadWith(platform::Platform& through) {
    auto installation = through.files.openFolder(settings.installationFolder).folder;
    return installation && LoadLanguageFiles(through, settings, registry, *installation, languages);
  }

  std::string folder = testing::freshScratchFolder();
  std::string scratchKey = testing::freshScratchKeyPath(HKEY_CURRENT_USER, 0);
  Win32Platform real;
  platform::Platform platform = real.platform();
  Settings settings;
  SharedRegistry registry{platform.registry, win::kKeyAllAccess};
  LanguageFiles languages;
};

TEST_F(LangFilesTest, ARussianUserGetsTheRussianFileAndItsWindows1251Texts) {
  settings.cyrillicUi = true;
  settings.userLcid = 1049;
  ASSERT_TRUE(load());
  EXPECT_EQ(languages.entries().size(), 3u);
  EXPECT_EQ(selectedName(), "russian.lng");
  EXPECT_EQ(languages.entries()[static_cast<std::size_t>(languages.englishIndex())].fileName, "English.LNG");
  EXPECT_EQ(settings.messageLanguageId, 1049);
  EXPECT_EQ(languages.characterSet(), 204);
  // "Обновление Нимбры"
  EXPECT_EQ(settings.programTitle, "\xCE\xE1\xED\xEE\xE2\xEB\xE5\xED\xE8\xE5 \xCD\xE8\xEC\xE1\xF0\xFB");

  MessageCatalogue catalogue(platform, settings, languages);
  // "Установить Сверчки в C:\Nimbra\?" and "Нимбра будет закрыта."
  EXPECT_EQ(catalogue.FormatMessageLines("installask", {"C:\\Nimbra\\", catalogue.GetMessageText("crickets")}),
            "\xD3\xF1\xF2\xE0\xED\xEE\xE2\xE8\xF2\xFC \xD1\xE2\xE5\xF0\xF7\xEA\xE8 \xE2 C:\\Nimbra\\?\r\n"
            "\xCD\xE8\xEC\xE1\xF0\xE0 \xE1\xF3\xE4\xE5\xF2 \xE7\xE0\xEA\xF0\xFB\xF2\xE0.");
  // Russian is the default file here, and it has no "noright".
  EXPECT_EQ(catalogue.GetMessageLines("noright"), "");
}

TEST_F(LangFilesTest, TheStoredChoiceSelectsAHiddenFileWhoseGapsTheEnglishFileFills) {
  ASSERT_TRUE(::SetFileAttributesA((folder + "language\\ukrainian.lng").c_str(), FILE_ATTRIBUTE_HIDDEN));
  testing::setRawValue(HKEY_CURRENT_USER, scratchKey, 0, "LangFile", REG_SZ, std::string_view("ukrainian.lng", 14));
  settings.userLcid = 2057;
  ASSERT_TRUE(load());
  EXPECT_EQ(selectedName(), "ukrainian.lng");
  EXPECT_EQ(settings.messageLanguageId, 1058);
  EXPECT_EQ(languages.programDescription(), "Sound packs");
  EXPECT_EQ(languages.localeMatchIndex(), languages.englishIndex());
  EXPECT_FALSE(registry.hasCurrentKey());

  MessageCatalogue catalogue(platform, settings, languages);
  EXPECT_EQ(catalogue.GetMessageText("crickets"), "\xD6\xE2\xB3\xF0\xEA\xF3\xED\xE8");  // "Цвіркуни"
  EXPECT_EQ(catalogue.GetMessageLines("noright"), "You need administrator rights.\r\nAsk your administrator.");
  EXPECT_EQ(catalogue.FormatMessageText("installask", {"C:\\N\\"}), "Install %2 into C:\\N\\?");
}

TEST_F(LangFilesTest, ALookupSharesTheFileWithReadersButNotWithWriters) {
  const std::string path = folder + "language\\English.LNG";
  {
    UniqueFile reader(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(reader);
    EntryRead read = ReadEntry(platform.files, path, "crickets", EntryExtent::FirstLine);
    EXPECT_FALSE(read.failed);
    EXPECT_EQ(read.text, "Crickets");
  }
  UniqueFile writer(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(writer);
  EntryRead read = ReadEntry(platform.files, path, "crickets", EntryExtent::FirstLine);
  EXPECT_TRUE(read.failed);
  EXPECT_EQ(read.text, "");
}

// The boxes are recorded, not shown: a second thread (a robot answering
// them) makes the emulator lose the signal that completes the question
// Wine's mount manager answers for GetFinalPathNameByHandle.
TEST_F(LangFilesTest, AFolderNamedLikeALanguageFileFailsTheLoadWithItsBoxes) {
  ASSERT_TRUE(::CreateDirectoryA((folder + "language\\broken.lng").c_str(), nullptr));
  testing::RecordingBoxes boxes;
  platform::Platform recorded{platform.registry, platform.files,     boxes,           platform.processes,
                              platform.system,   platform.clock,     platform.resources, platform.watchdog};
  EXPECT_FALSE(loadWith(recorded));
  ASSERT_EQ(boxes.texts.size(), 4u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(boxes.texts[i], "Can't handle the language support file broken.lng");
  EXPECT_EQ(boxes.texts[3], "broken.lng file contains errors.\r\nPlease reinstall the program.");
}

}  // namespace
}  // namespace nimbra::win32
