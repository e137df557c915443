#include "lang/catalogue.h"

#include <gtest/gtest.h>

#include "lang_fixture.h"

namespace nimbra::testing {
namespace {

using fake::BoxRecord;
using fake::Call;

class CatalogueTest : public LangTest {
 protected:
  // english.lng is the default file; german.lng is selected.
  CatalogueTest() {
    addLanguageFile("english.lng", Lines({"[installask]", "Install %2 into %1?", "It takes a minute.",
                                          "Close Nimbra first.", "", "[asktorun]", "Start Nimbra now?", "",
                                          "[several]", "first", "second", "", "[onlydefault]", "default one",
                                          "default two", ""}));
    addLanguageFile("german.lng", Lines({"[installask]", "%2 nach %1 installieren?", "Es dauert.", "",
                                         "[asktorun]", "", "ignored further line", "", "[NoRight]",
                                         "Keine Rechte.", "Bitte als Administrator starten.", ""}));
    listAndSelect({"english.lng", "german.lng"}, 1);
  }

  MessageCatalogue catalogue{platform, settings, languages};
};

TEST_F(CatalogueTest, FormatMessageLinesJoinsTheValueLinesAndFillsThePlaceholders) {
  EXPECT_EQ(catalogue.FormatMessageLines("installask", {"C:\\Nimbra\\", "Crickets"}),
            "Crickets nach C:\\Nimbra\\ installieren?\r\nEs dauert.");
  languages.setSelected(0);
  EXPECT_EQ(catalogue.FormatMessageLines("installask", {"C:\\Nimbra\\", "Crickets"}),
            "Install Crickets into C:\\Nimbra\\?\r\nIt takes a minute.\r\nClose Nimbra first.");
  EXPECT_TRUE(world.boxes.shown.empty());
}

TEST_F(CatalogueTest, BoxTextsAreInTheCodePageOfTheFileEachCameFromAndArgumentsInTheirOwn) {
  using platform::TextPiece;
  // german.lng (selected) in Central European, english.lng (default) in Russian,
  // as their header lookups would have recorded them.
  languages.setCharacterSet(238);
  languages.entry(0).characterSet = 204;
  const platform::BoxText path("C:\\Caf\xE9\\", platform::kSystemCodePage);
  const platform::BoxText pack = catalogue.text("asktorun") + platform::BoxText(" 6", platform::kSystemCodePage);
  const platform::BoxText text = catalogue.formatLines("installask", {path, pack});
  EXPECT_EQ(text.bytes(), catalogue.FormatMessageLines("installask", {path.bytes(), pack.bytes()}));
  EXPECT_EQ(text.pieces(), (std::vector<TextPiece>{{"Start Nimbra now?", 1251},
                                                   {" 6", 0},
                                                   {" nach ", 1250},
                                                   {"C:\\Caf\xE9\\", 0},
                                                   {" installieren?\r\nEs dauert.", 1250}}));
  // "asktorun" fell back to english.lng: its code page, not the selected file's.
  EXPECT_EQ(catalogue.text("asktorun").pieces(), (std::vector<TextPiece>{{"Start Nimbra now?", 1251}}));
  EXPECT_EQ(catalogue.SourcedMessageText("asktorun").file, 0);
  EXPECT_EQ(catalogue.lines("noright").pieces(),
            (std::vector<TextPiece>{{"Keine Rechte.\r\nBitte als Administrator starten.", 1250}}));
  EXPECT_TRUE(catalogue.text("absent").empty());
  EXPECT_EQ(catalogue.SourcedMessageText("absent").file, LanguageFiles::kNone);
}

TEST_F(CatalogueTest, GetMessageTextGivesTheFirstLineWithPlaceholdersUntouched) {
  EXPECT_EQ(catalogue.GetMessageText("installask"), "%2 nach %1 installieren?");
  EXPECT_EQ(catalogue.FormatMessageText("installask", {"A", "B"}), "B nach A installieren?");
}

TEST_F(CatalogueTest, KeysMatchWhateverTheirAsciiCase) {
  EXPECT_EQ(catalogue.GetMessageLines("noright"), "Keine Rechte.\r\nBitte als Administrator starten.");
  EXPECT_EQ(catalogue.GetMessageText("INSTALLASK"), "%2 nach %1 installieren?");
}

TEST_F(CatalogueTest, AnEmptyFirstValueLineTakesTheDefaultFilesEntryDespiteFurtherLines) {
  EXPECT_EQ(catalogue.GetMessageText("asktorun"), "Start Nimbra now?");
  EXPECT_EQ(catalogue.GetMessageLines("asktorun"), "Start Nimbra now?");
}

TEST_F(CatalogueTest, AKeyAbsentFromTheSelectedFileComesFromTheDefaultFile) {
  EXPECT_EQ(catalogue.GetMessageLines("onlydefault"), "default one\r\ndefault two");
  EXPECT_EQ(catalogue.GetMessageText("onlydefault"), "default one");
}

TEST_F(CatalogueTest, ASingleLineFallbackGivesOneLineEvenAfterAMultiLineLookup) {
  catalogue.GetMessageLines("noright");
  EXPECT_EQ(catalogue.GetMessageText("several"), "first");
  catalogue.GetMessageLines("several");
  EXPECT_EQ(catalogue.GetMessageText("onlydefault"), "default one");
}

TEST_F(CatalogueTest, AKeyAbsentFromBothFilesIsTheEmptyTextWithoutMessage) {
  EXPECT_EQ(catalogue.GetMessageText("nosuchkey"), "");
  EXPECT_EQ(catalogue.FormatMessageLines("nosuchkey", {"a"}), "");
  EXPECT_TRUE(world.boxes.shown.empty());
  EXPECT_EQ(opensOf("german.lng"), 1);
  EXPECT_EQ(opensOf("english.lng"), 1);
}

// Read once, through one handle: a file changed or swapped later changes no
// lookup, and none costs a second read.
TEST_F(CatalogueTest, EachFileIsReadOnceAndClosedAndItsTextServesEveryLookup) {
  for (int i = 0; i < 3; ++i) EXPECT_EQ(catalogue.GetMessageText("installask"), "%2 nach %1 installieren?");
  addLanguageFile("german.lng", Lines({"[installask]", "swapped", ""}));
  EXPECT_EQ(catalogue.GetMessageText("installask"), "%2 nach %1 installieren?");
  EXPECT_EQ(opensOf("german.lng"), 1);
  EXPECT_EQ(opensOf("english.lng"), 0);
  EXPECT_EQ(world.files.openFiles(), 0);
}

// A file that never ends (a device, a pipe, a link to one) or that is longer
// than any language file ends its read at once or at the bound, as a file
// that cannot be read: one box per lookup, and no fallback.
TEST_F(CatalogueTest, AFileThatNeverEndsOrRunsPastTheBoundCannotBeRead) {
  world.files.makeEndlessDevice(std::string(kLanguageFolder) + "german.lng");
  EXPECT_EQ(catalogue.GetMessageText("onlydefault"), "");
  EXPECT_EQ(catalogue.GetMessageText("installask"), "");
  EXPECT_EQ(world.boxes.shown.size(), 2u);

  std::string longer = Lines({"[installask]", "long", ""});
  longer.resize(kLanguageFileByteLimit + 1, '.');
  addLanguageFile("longer.lng", longer);
  languages.setSelected(languages.add("longer.lng"));
  EXPECT_EQ(catalogue.GetMessageText("installask"), "long");  // what was read before the bound
  ASSERT_EQ(world.boxes.shown.size(), 3u);
  EXPECT_EQ(world.boxes.shown[2].text, "Can't handle the language support file longer.lng");
  EXPECT_EQ(languages.entries()[2].text->bytes.size(), kLanguageFileByteLimit);

  longer.resize(kLanguageFileByteLimit);
  addLanguageFile("bound.lng", longer);
  languages.setSelected(languages.add("bound.lng"));
  EXPECT_EQ(catalogue.GetMessageText("installask"), "long");
  EXPECT_EQ(world.boxes.shown.size(), 3u);
}

TEST_F(CatalogueTest, TheDefaultFileIsRussianUnderTheCyrillicUi) {
  addLanguageFile("russian.lng", Lines({"[onlydefault]", "по умолчанию", ""}));
  languages.add("russian.lng");
  settings.cyrillicUi = true;
  EXPECT_EQ(catalogue.GetMessageText("onlydefault"), "\xEF\xEE \xF3\xEC\xEE\xEB\xF7\xE0\xED\xE8\xFE");
  EXPECT_EQ(opensOf("english.lng"), 0);
}

TEST_F(CatalogueTest, TheDefaultFileSelectedIsScannedOnce) {
  languages.setSelected(0);
  EXPECT_EQ(catalogue.GetMessageText("nosuchkey"), "");
  EXPECT_EQ(opensOf("english.lng"), 1);
}

TEST_F(CatalogueTest, AMissingArgumentLeavesItsPlaceholder) {
  EXPECT_EQ(catalogue.FormatMessageText("installask", {"C:\\"}), "%2 nach C:\\ installieren?");
  EXPECT_EQ(catalogue.FormatMessageText("installask", {}), "%2 nach %1 installieren?");
}

TEST_F(CatalogueTest, ASelectedFileThatCannotBeOpenedGivesOneBoxAndNoFallback) {
  world.faults.failNext(Call::FileOpen);
  EXPECT_EQ(catalogue.GetMessageLines("onlydefault"), "");
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  const BoxRecord& box = world.boxes.shown[0];
  EXPECT_EQ(box.function, BoxRecord::Function::MessageBoxW);
  EXPECT_EQ(box.text, "Can't handle the language support file german.lng");
  EXPECT_EQ(box.caption, "Nimbra update");
  EXPECT_EQ(box.style, 0x200010u);
  EXPECT_EQ(opensOf("english.lng"), 0);
  // The file was read once: each later lookup tells of it again.
  EXPECT_EQ(catalogue.GetMessageText("onlydefault"), "");
  EXPECT_EQ(world.boxes.shown.size(), 2u);
}

TEST_F(CatalogueTest, AReadErrorInTheSelectedFileKeepsTheLinesGathered) {
  // The value straddles the first block; the second read fails.
  std::string padding(LineReader::kBlockSize - 20, '.');
  addLanguageFile("german.lng", padding + "\r\n[k]\r\none\r\ntwo\r\nthree and more\r\n\r\n");
  world.faults.failNext(Call::FileRead, 5, /*skip=*/1);
  EXPECT_EQ(catalogue.GetMessageLines("k"), "one\r\ntwo");
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  EXPECT_EQ(world.boxes.shown[0].text, "Can't handle the language support file german.lng");
  EXPECT_EQ(opensOf("english.lng"), 0);
}

TEST_F(CatalogueTest, ADefaultFileThatCannotBeReadDuringTheFallbackIsNamed) {
  settings.cyrillicUi = true;
  languages.add("Russian.lng");
  addLanguageFile("Russian.lng", Lines({"[onlydefault]", "x", ""}));
  world.faults.failNext(Call::FileOpen, 5, /*skip=*/1);
  EXPECT_EQ(catalogue.GetMessageText("onlydefault"), "");
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  const BoxRecord& box = world.boxes.shown[0];
  EXPECT_EQ(box.function, BoxRecord::Function::MessageBoxExW);
  EXPECT_EQ(box.language, 25);
  EXPECT_EQ(box.text, "Не удаётся работать с файлом языковой поддержки Russian.lng");
}

TEST_F(CatalogueTest, WithoutASelectionEveryLookupIsEmpty) {
  languages.setSelected(LanguageFiles::kNone);
  EXPECT_EQ(catalogue.GetMessageText("installask"), "");
  for (const std::string& call : world.files.log()) EXPECT_TRUE(call.ends_with(" folder")) << call;
  EXPECT_TRUE(world.boxes.shown.empty());
}

}  // namespace
}  // namespace nimbra::testing
