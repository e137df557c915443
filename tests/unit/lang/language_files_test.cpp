#include "lang/language_files.h"

#include <gtest/gtest.h>

#include "lang_fixture.h"

namespace nimbra::testing {
namespace {

using fake::BoxRecord;
using platform::RegistryRoot;

constexpr std::string_view kMissingRussianInRussian =
    "\xD0\xE0\xE1\xEE\xF2\xE0 \xE1\xE5\xE7 \xF4\xE0\xE9\xEB\xE0 russian.lng "
    "\xED\xE5\xE2\xEE\xE7\xEC\xEE\xE6\xED\xE0!\r\n"
    "\xCF\xEE\xE6\xE0\xEB\xF3\xE9\xF1\xF2\xE0, \xEF\xE5\xF0\xE5\xF3\xF1\xF2\xE0\xED\xEE\xE2\xE8\xF2\xE5 "
    "\xEF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xF3.";
constexpr std::string_view kGermanContainsErrorsInRussian =
    "\xD4\xE0\xE9\xEB german.lng \xF1\xEE\xE4\xE5\xF0\xE6\xE8\xF2 \xEE\xF8\xE8\xE1\xEA\xE8!\r\n"
    "\xCF\xEE\xE6\xE0\xEB\xF3\xE9\xF1\xF2\xE0, \xEF\xE5\xF0\xE5\xF3\xF1\xF2\xE0\xED\xEE\xE2\xE8\xF2\xE5 "
    "\xEF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xF3.";

Header German() { return {"Deutsch", "2", "1031", "0", "Nimbra-Aktualisierung", "Klangpakete"}; }

class LanguageFilesTest : public LangTest {
 protected:
  void expectOnlyBox(std::string_view text) {
    ASSERT_EQ(world.boxes.shown.size(), 1u);
    EXPECT_EQ(world.boxes.shown[0].text, text);
    EXPECT_EQ(world.boxes.shown[0].style, 0x200010u);
  }
  void storeChoice(std::string_view name) { world.registry.setString(RegistryRoot::CurrentUser, kProductKey, "LangFile", name); }
  std::string selectedName() const {
    return languages.entries().at(static_cast<std::size_t>(languages.selectedIndex())).fileName;
  }
};

TEST_F(LanguageFilesTest, BeforeLoadingNothingIsSelected) {
  EXPECT_TRUE(languages.entries().empty());
  EXPECT_EQ(languages.selectedIndex(), -1);
  EXPECT_EQ(languages.russianIndex(), -1);
  EXPECT_EQ(languages.englishIndex(), -1);
  EXPECT_EQ(languages.localeMatchIndex(), -1);
  EXPECT_EQ(languages.characterSet(), 255);
  EXPECT_EQ(settings.messageLanguageId, -1);
}

TEST_F(LanguageFilesTest, WithoutLanguageFolderEnglishIsMissing) {
  EXPECT_FALSE(load());
  expectOnlyBox("Can't work with no english.lng file!\r\nPlease reinstall the program.");
  EXPECT_EQ(world.boxes.shown[0].function, BoxRecord::Function::MessageBoxW);
  EXPECT_EQ(world.boxes.shown[0].caption, "Nimbra update");
  EXPECT_EQ(languages.selectedIndex(), -1);
}

TEST_F(LanguageFilesTest, UnderTheCyrillicUiWithBothMissingOnlyRussianIsNamed) {
  settings.cyrillicUi = true;
  world.files.addFolder(std::string(kLanguageFolder));
  EXPECT_FALSE(load());
  expectOnlyBox(kMissingRussianInRussian);
  EXPECT_EQ(world.boxes.shown[0].function, BoxRecord::Function::MessageBoxExW);
  EXPECT_EQ(world.boxes.shown[0].language, 25);
  EXPECT_EQ(world.boxes.shown[0].caption, "\xCE\xE1\xED\xEE\xE2\xEB\xE5\xED\xE8\xE5 \xEF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xFB \"\xCD\xE8\xEC\xE1\xF0\xE0\"");
}

TEST_F(LanguageFilesTest, UnderTheCyrillicUiWithRussianPresentEnglishIsStillRequired) {
  settings.cyrillicUi = true;
  addLanguageFile("russian.lng", HeaderFile(RussianHeader()));
  EXPECT_FALSE(load());
  expectOnlyBox("\xD0\xE0\xE1\xEE\xF2\xE0 \xE1\xE5\xE7 \xF4\xE0\xE9\xEB\xE0 english.lng "
                "\xED\xE5\xE2\xEE\xE7\xEC\xEE\xE6\xED\xE0!\r\n"
                "\xCF\xEE\xE6\xE0\xEB\xF3\xE9\xF1\xF2\xE0, \xEF\xE5\xF0\xE5\xF3\xF1\xF2\xE0\xED\xEE\xE2\xE8\xF2\xE5 "
                "\xEF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xF3.");
}

TEST_F(LanguageFilesTest, WithoutTheCyrillicUiRussianIsNotRequired) {
  addLanguageFile("english.lng", HeaderFile({}));
  EXPECT_TRUE(load());
  EXPECT_TRUE(world.boxes.shown.empty());
}

TEST_F(LanguageFilesTest, TheSelectedFilesHeaderSetsTitleDescriptionCharsetAndLanguageId) {
  addLanguageFile("english.lng", HeaderFile({}));
  settings.cyrillicUi = true;
  settings.userLcid = 1049;
  addLanguageFile("russian.lng", HeaderFile(RussianHeader()));
  ASSERT_TRUE(load());
  EXPECT_EQ(selectedName(), "russian.lng");
  EXPECT_EQ(settings.programTitle, "\xCD\xE8\xEC\xE1\xF0\xE0");
  EXPECT_EQ(languages.programDescription(), "\xC7\xE2\xF3\xEA\xEE\xE2\xFB\xE5 \xEF\xE0\xEA\xE5\xF2\xFB");
  EXPECT_EQ(languages.characterSet(), 204);
  EXPECT_EQ(settings.messageLanguageId, 1049);
  ASSERT_EQ(languages.entries().size(), 2u);
  EXPECT_EQ(languages.entries()[0].languageName, "English");
  EXPECT_EQ(languages.entries()[0].languageVersion, 3);
  EXPECT_EQ(languages.entries()[1].languageName, "\xD0\xF3\xF1\xF1\xEA\xE8\xE9");
  EXPECT_EQ(languages.entries()[1].languageVersion, 4);
  EXPECT_TRUE(world.boxes.shown.empty());
  EXPECT_EQ(world.files.openFiles(), 0);
  EXPECT_EQ(world.registry.openKeys(), 0);
}

TEST_F(LanguageFilesTest, EachFilesCharsetGivesTheCodePageOfItsTextsAndOfTheTitleTakenFromIt) {
  Header english;
  english.charset = "161";
  addLanguageFile("english.lng", HeaderFile(english));
  addLanguageFile("russian.lng", HeaderFile(RussianHeader()));
  // No "progname" of its own: the title comes from english.lng.
  addLanguageFile("german.lng", Lines({"[langname]", "Deutsch", "", "[langver]", "2", "", "[langcode]", "1031", "",
                                       "[langcharset]", "238", ""}));
  storeChoice("russian.lng");
  ASSERT_TRUE(load());
  EXPECT_EQ(settings.programTitleCodePage, 1251u);
  const int german = 2;
  EXPECT_EQ(languages.entries()[german].fileName, "german.lng");
  EXPECT_EQ(languages.codePageOf(languages.englishIndex()), 1253u);
  EXPECT_EQ(languages.codePageOf(languages.russianIndex()), 1251u);
  EXPECT_EQ(languages.codePageOf(german), 1250u);
  EXPECT_EQ(languages.codePageOf(LanguageFiles::kNone), platform::kSystemCodePage);

  world.registry.setString(RegistryRoot::CurrentUser, kProductKey, "LangFile", "german.lng");
  LanguageFiles reloaded;
  ASSERT_TRUE(loadInto(reloaded));
  EXPECT_EQ(settings.programTitle, "Nimbra sounds");
  EXPECT_EQ(settings.programTitleCodePage, 1253u);
}

TEST_F(LanguageFilesTest, EnglishInAnyCaseIsTheEnglishFileAndKeepsItsListedName) {
  addLanguageFile("English.LNG", HeaderFile({}));
  ASSERT_TRUE(load());
  EXPECT_EQ(languages.englishIndex(), 0);
  EXPECT_EQ(selectedName(), "English.LNG");
  EXPECT_EQ(settings.programTitle, "Nimbra sounds");
}

TEST_F(LanguageFilesTest, NamesWithAnExclamationMarkAreNoLanguageFiles) {
  addLanguageFile("english!.lng", "broken");
  addLanguageFile("old!russian.lng", "broken");
  addLanguageFile("english.lng", HeaderFile({}));
  ASSERT_TRUE(load());
  ASSERT_EQ(languages.entries().size(), 1u);
  EXPECT_EQ(languages.entries()[0].fileName, "english.lng");
  EXPECT_EQ(opensOf("english!.lng"), 0);
  EXPECT_EQ(opensOf("old!russian.lng"), 0);
}

TEST_F(LanguageFilesTest, NamesNotEndingInLngAreNoLanguageFiles) {
  // What a "*.lng" listing may also return through 8.3 short names.
  addLanguageFile("english.lng", HeaderFile({}));
  addLanguageFile("german.lngold", "broken");
  ASSERT_TRUE(load());
  EXPECT_EQ(languages.entries().size(), 1u);
}

// The listing's names are names: one that would lead out of the language
// folder when joined to it is no language file, and nothing there is read.
TEST_F(LanguageFilesTest, ListedNamesThatLeadElsewhereAreNeverRead) {
  addLanguageFile("english.lng", HeaderFile({}));
  world.files.addFile(std::string(kFolder) + "planted.lng", HeaderFile(German()));
  const char* const shown[] = {"..\\planted.lng", ".\\..\\planted.lng", "C:planted.lng"};
  for (int i = 0; i < 3; ++i) {
    const std::string name = "unicode" + std::to_string(i) + ".lng";
    addLanguageFile(name, "broken");
    world.files.listAs(path(name), shown[i]);
  }
  ASSERT_TRUE(load());
  ASSERT_EQ(languages.entries().size(), 1u);
  EXPECT_TRUE(world.boxes.shown.empty());
  for (const std::string& open : world.files.log()) EXPECT_EQ(open.find("planted"), std::string::npos) << open;
}

TEST_F(LanguageFilesTest, HiddenAndSystemFilesAreLanguageFilesToo) {
  world.files.addFile(path("english.lng"), HeaderFile({}), win::kAttributeHidden | win::kAttributeSystem);
  EXPECT_TRUE(load());
}

TEST_F(LanguageFilesTest, TheListKeepsTheListingOrder) {
  addLanguageFile("german.lng", HeaderFile(German()));
  addLanguageFile("english.lng", HeaderFile({}));
  addLanguageFile("russian.lng", HeaderFile(RussianHeader()));
  ASSERT_TRUE(load());
  ASSERT_EQ(languages.entries().size(), 3u);
  EXPECT_EQ(languages.entries()[0].languageName, "Deutsch");
  EXPECT_EQ(languages.englishIndex(), 1);
  EXPECT_EQ(languages.russianIndex(), 2);
  EXPECT_EQ(languages.localeMatchIndex(), 1);
}

TEST_F(LanguageFilesTest, AFileWithoutVersionAndCodesTakesTheDefaultsAndWinsTheMatchListedAfterIt) {
  addLanguageFile("english.lng", HeaderFile({}));
  addLanguageFile("pirate.lng", Lines({"[langname]", "Pirate", "", "[langcharset]", "0", "", "[progname]", "Arr", ""}));
  ASSERT_TRUE(load());
  EXPECT_EQ(languages.entries()[1].languageVersion, 3);
  EXPECT_EQ(languages.localeMatchIndex(), 1);
  EXPECT_EQ(selectedName(), "pirate.lng");
  EXPECT_EQ(settings.messageLanguageId, 1033);
  EXPECT_EQ(settings.programTitle, "Arr");
  EXPECT_EQ(languages.programDescription(), "Sound packs for Nimbra");
}

TEST_F(LanguageFilesTest, AFileWithoutCodesListedBeforeTheDefaultLosesTheMatchToIt) {
  addLanguageFile("pirate.lng", Lines({"[langname]", "Pirate", ""}));
  addLanguageFile("english.lng", HeaderFile({}));
  ASSERT_TRUE(load());
  EXPECT_EQ(languages.localeMatchIndex(), 1);
  EXPECT_EQ(selectedName(), "english.lng");
}

TEST_F(LanguageFilesTest, EveryCodeLineIsMatchedAndTheFirstIsTheLanguageId) {
  settings.userLcid = 1058;
  addLanguageFile("english.lng", HeaderFile({}));
  Header ukrainian{"Ukrainian", "1", "1049\r\n1058", "204", "Nimbra UA", "UA"};
  addLanguageFile("ukrainian.lng", HeaderFile(ukrainian));
  ASSERT_TRUE(load());
  EXPECT_EQ(selectedName(), "ukrainian.lng");
  EXPECT_EQ(settings.messageLanguageId, 1049);
}

TEST_F(LanguageFilesTest, WhenSeveralFilesServeTheLocaleTheLastListedWins) {
  addLanguageFile("english.lng", HeaderFile({}));
  addLanguageFile("american.lng", HeaderFile({"American", "1", "1033"}));
  addLanguageFile("british.lng", HeaderFile({"British", "1", "2057\r\n1033"}));
  ASSERT_TRUE(load());
  EXPECT_EQ(selectedName(), "british.lng");
}

TEST_F(LanguageFilesTest, HexadecimalCodesMatchTheLocaleToo) {
  settings.userLcid = 0x41A;
  addLanguageFile("english.lng", HeaderFile({}));
  addLanguageFile("croatian.lng", HeaderFile({"Hrvatski", "1", "$41A"}));
  ASSERT_TRUE(load());
  EXPECT_EQ(selectedName(), "croatian.lng");
  EXPECT_EQ(settings.messageLanguageId, 0x41A);
}

TEST_F(LanguageFilesTest, ACodeWithATrailingSpaceMakesTheFileContainErrors) {
  addLanguageFile("english.lng", HeaderFile({}));
  addLanguageFile("german.lng", HeaderFile({"Deutsch", "2", "1031\r\n1049 "}));
  addLanguageFile("later.lng", HeaderFile({}));
  EXPECT_FALSE(load());
  expectOnlyBox("german.lng file contains errors.\r\nPlease reinstall the program.");
  EXPECT_EQ(world.boxes.shown[0].caption, "Nimbra update");
  EXPECT_EQ(languages.selectedIndex(), 1);
  EXPECT_EQ(opensOf("later.lng"), 0);
}

TEST_F(LanguageFilesTest, AnInvalidVersionMakesTheFileContainErrorsInRussian) {
  settings.cyrillicUi = true;
  addLanguageFile("english.lng", HeaderFile({}));
  addLanguageFile("russian.lng", HeaderFile(RussianHeader()));
  Header german = German();
  german.version = "2a";
  addLanguageFile("german.lng", HeaderFile(german));
  EXPECT_FALSE(load());
  expectOnlyBox(kGermanContainsErrorsInRussian);
  EXPECT_EQ(world.boxes.shown[0].language, 25);
  // The caption is the title of the file that failed, as its selection set it.
  EXPECT_EQ(world.boxes.shown[0].caption, "Nimbra-Aktualisierung");
}

TEST_F(LanguageFilesTest, AnInvalidCharacterSetOrFirstCodeMakesTheFileContainErrors) {
  for (auto broken : {&Header::charset, &Header::codes}) {
    world.boxes.shown.clear();
    LanguageFiles fresh;
    Header german = German();
    german.*broken = "ten";
    addLanguageFile("english.lng", HeaderFile({}));
    addLanguageFile("german.lng", HeaderFile(german));
    EXPECT_FALSE(loadInto(fresh));
    expectOnlyBox("german.lng file contains errors.\r\nPlease reinstall the program.");
    EXPECT_EQ(fresh.selectedIndex(), 1);
  }
}

TEST_F(LanguageFilesTest, AFolderNamedLikeALanguageFileFailsWithBoxesAndNoCrash) {
  addLanguageFile("english.lng", HeaderFile({}));
  world.files.addFolder(path("german.lng"));
  EXPECT_FALSE(load());
  // One box for each lookup of the selection, up to the character set that cannot be read.
  ASSERT_EQ(world.boxes.shown.size(), 4u);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(world.boxes.shown[i].text, "Can't handle the language support file german.lng") << i;
  EXPECT_EQ(world.boxes.shown[3].text, "german.lng file contains errors.\r\nPlease reinstall the program.");
  EXPECT_EQ(languages.selectedIndex(), 1);
  EXPECT_EQ(settings.programTitle, "");
}

TEST_F(LanguageFilesTest, AnUnreadableDefaultFileFailsTheLoadAtItsTurn) {
  addLanguageFile("english.lng", HeaderFile({}));
  world.faults.failAlways(fake::Call::FileRead);
  EXPECT_FALSE(load());
  ASSERT_EQ(world.boxes.shown.size(), 4u);
  EXPECT_EQ(world.boxes.shown[2].text, "Can't handle the language support file english.lng");
  EXPECT_EQ(world.boxes.shown[3].text, "english.lng file contains errors.\r\nPlease reinstall the program.");
  EXPECT_EQ(world.files.openFiles(), 0);
}

TEST_F(LanguageFilesTest, WithoutLocaleMatchCyrillicUiSelectsRussianElseEnglish) {
  settings.userLcid = 1031;
  addLanguageFile("russian.lng", HeaderFile(RussianHeader()));
  addLanguageFile("english.lng", HeaderFile({}));
  ASSERT_TRUE(load());
  EXPECT_EQ(selectedName(), "english.lng");

  settings.cyrillicUi = true;
  LanguageFiles again;
  ASSERT_TRUE(loadInto(again));
  EXPECT_EQ(again.entries()[static_cast<std::size_t>(again.selectedIndex())].fileName, "russian.lng");
}

TEST_F(LanguageFilesTest, TheStoredChoiceWinsOverTheLocale) {
  settings.cyrillicUi = true;
  settings.userLcid = 1049;
  addLanguageFile("english.lng", HeaderFile({}));
  addLanguageFile("russian.lng", HeaderFile(RussianHeader()));
  storeChoice("english.lng");
  ASSERT_TRUE(load());
  EXPECT_EQ(languages.localeMatchIndex(), 1);
  EXPECT_EQ(selectedName(), "english.lng");
  EXPECT_EQ(settings.programTitle, "Nimbra sounds");
  EXPECT_EQ(settings.messageLanguageId, 1033);
  EXPECT_EQ(world.registry.openKeys(), 0);
  EXPECT_EQ(world.registry.value(RegistryRoot::CurrentUser, kProductKey, "LangFile")->data,
            std::string("english.lng\0", 12));
}

TEST_F(LanguageFilesTest, TheStoredChoiceComparesCaseSensitively) {
  settings.userLcid = 1049;
  addLanguageFile("english.lng", HeaderFile({}));
  addLanguageFile("russian.lng", HeaderFile(RussianHeader()));
  storeChoice("English.lng");
  ASSERT_TRUE(load());
  EXPECT_EQ(selectedName(), "russian.lng");
}

TEST_F(LanguageFilesTest, AStoredChoiceOfTheSelectedFileSelectsNothingAgain) {
  addLanguageFile("english.lng", HeaderFile({}));
  storeChoice("english.lng");
  ASSERT_TRUE(load());
  // Seven lookups to examine the file and four for each of its two selections: one read.
  EXPECT_EQ(opensOf("english.lng"), 1);
}

TEST_F(LanguageFilesTest, AtMostAThousandLanguageFilesAreExamined) {
  addLanguageFile("english.lng", HeaderFile({}));
  for (int i = 0; i < 1005; ++i) addLanguageFile("extra" + std::to_string(i) + ".lng", HeaderFile({}));
  ASSERT_TRUE(load());
  EXPECT_EQ(languages.entries().size(), kLanguageFileLimit);
  EXPECT_EQ(world.files.openFiles(), 0);
}

TEST_F(LanguageFilesTest, TheListingOfTheLanguageFolderStopsAtAHundredThousandEntries) {
  for (std::size_t i = 0; i < platform::kListedEntryLimit; ++i) world.files.addSizedFile(path(std::to_string(i)), 0);
  addLanguageFile("english.lng", HeaderFile({}));  // the entry after the bound
  EXPECT_FALSE(load());
  expectOnlyBox("Can't work with no english.lng file!\r\nPlease reinstall the program.");
}

TEST_F(LanguageFilesTest, AStoredChoiceThatIsNoStringIsIgnored) {
  addLanguageFile("english.lng", HeaderFile({}));
  addLanguageFile("german.lng", HeaderFile(German()));
  world.registry.setValue(RegistryRoot::CurrentUser, kProductKey, "LangFile",
                          {win::kRegBinary, std::string("german.lng\0", 11)});
  ASSERT_TRUE(load());
  EXPECT_EQ(selectedName(), "english.lng");
  EXPECT_TRUE(world.boxes.shown.empty());
}

TEST_F(LanguageFilesTest, AnExpandableStringChoiceCounts) {
  addLanguageFile("english.lng", HeaderFile({}));
  addLanguageFile("german.lng", HeaderFile(German()));
  world.registry.setString(RegistryRoot::CurrentUser, kProductKey, "LangFile", "german.lng", win::kRegExpandSz);
  ASSERT_TRUE(load());
  EXPECT_EQ(selectedName(), "german.lng");
  EXPECT_EQ(settings.programTitle, "Nimbra-Aktualisierung");
}

TEST_F(LanguageFilesTest, AProductKeyThatCannotBeOpenedLeavesTheSelection) {
  addLanguageFile("english.lng", HeaderFile({}));
  addLanguageFile("german.lng", HeaderFile(German()));
  storeChoice("german.lng");
  world.registry.denyKey(RegistryRoot::CurrentUser, kProductKey);
  ASSERT_TRUE(load());
  EXPECT_EQ(selectedName(), "english.lng");
  EXPECT_TRUE(world.boxes.shown.empty());
}

TEST_F(LanguageFilesTest, AStoredNameThatIsNotListedLeavesTheSelection) {
  addLanguageFile("english.lng", HeaderFile({}));
  storeChoice("klingon.lng");
  ASSERT_TRUE(load());
  EXPECT_EQ(selectedName(), "english.lng");
  EXPECT_TRUE(world.boxes.shown.empty());
}

TEST_F(LanguageFilesTest, LookupsAfterTheLoadReadTheSelectedFile) {
  settings.userLcid = 1031;
  addLanguageFile("english.lng", HeaderFile({}, Lines({"[asktorun]", "Start Nimbra?", "", "[crickets]", "Crickets", ""})));
  addLanguageFile("german.lng", HeaderFile(German(), Lines({"[asktorun]", "Nimbra starten?", ""})));
  ASSERT_TRUE(load());
  MessageCatalogue catalogue(platform, settings, languages);
  EXPECT_EQ(catalogue.GetMessageText("asktorun"), "Nimbra starten?");
  EXPECT_EQ(catalogue.GetMessageText("crickets"), "Crickets");
}

}  // namespace
}  // namespace nimbra::testing
