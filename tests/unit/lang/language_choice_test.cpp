#include "lang/language_choice.h"

#include <gtest/gtest.h>

namespace nimbra {
namespace {

LanguageFiles listed(std::initializer_list<std::string_view> names) {
  LanguageFiles languages;
  for (std::string_view name : names) languages.add(std::string(name));
  return languages;
}

TEST(LanguageFileName, EndsInLngWithoutExclamationMark) {
  EXPECT_TRUE(IsLanguageFileName("english.lng"));
  EXPECT_TRUE(IsLanguageFileName("English.LNG"));
  EXPECT_TRUE(IsLanguageFileName(".lng"));
  EXPECT_FALSE(IsLanguageFileName("english!.lng"));
  EXPECT_FALSE(IsLanguageFileName("old!russian.lng"));
  EXPECT_FALSE(IsLanguageFileName("english.lngx"));
  EXPECT_FALSE(IsLanguageFileName("."));
  EXPECT_FALSE(IsLanguageFileName(".."));
  // Names that a listing in the ANSI code page may give for Unicode ones: joined
  // to the language folder, they would lead out of it.
  for (const char* elsewhere : {"..\\english.lng", "sub\\x.lng", "../x.lng", "\\x.lng", "C:x.lng", "x.txt:a.lng"})
    EXPECT_FALSE(IsLanguageFileName(elsewhere)) << elsewhere;
}

TEST(LanguageList, RussianAndEnglishAreFoundByTheLoweredName) {
  LanguageFiles languages = listed({"German.lng", "RUSSIAN.LNG", "English.lng"});
  EXPECT_EQ(languages.russianIndex(), 1);
  EXPECT_EQ(languages.englishIndex(), 2);
  EXPECT_EQ(languages.defaultIndex(true), 1);
  EXPECT_EQ(languages.defaultIndex(false), 2);
  // Only A-Z are lowered: a Cyrillic look-alike is another file.
  EXPECT_EQ(listed({"\xC5nglish.lng"}).englishIndex(), -1);
}

TEST(MandatoryFiles, RussianComesFirstUnderTheCyrillicUi) {
  EXPECT_EQ(MissingMandatoryFile(listed({}), true), "russian.lng");
  EXPECT_EQ(MissingMandatoryFile(listed({}), false), "english.lng");
  EXPECT_EQ(MissingMandatoryFile(listed({"russian.lng"}), true), "english.lng");
  EXPECT_EQ(MissingMandatoryFile(listed({"russian.lng"}), false), "english.lng");
  EXPECT_EQ(MissingMandatoryFile(listed({"english.lng"}), true), "russian.lng");
  EXPECT_EQ(MissingMandatoryFile(listed({"english.lng"}), false), std::nullopt);
  EXPECT_EQ(MissingMandatoryFile(listed({"english.lng", "russian.lng"}), true), std::nullopt);
}

TEST(LanguageChoice, LocaleMatchThenRussianForCyrillicUiThenEnglish) {
  LanguageFiles languages = listed({"english.lng", "russian.lng", "german.lng"});
  EXPECT_EQ(ChooseLanguage(languages, false), 0);
  EXPECT_EQ(ChooseLanguage(languages, true), 1);
  languages.setLocaleMatch(2);
  EXPECT_EQ(ChooseLanguage(languages, true), 2);
  EXPECT_EQ(ChooseLanguage(languages, false), 2);
}

TEST(StoredChoice, IsTheFirstExactlyEqualNameUnlessAlreadySelected) {
  LanguageFiles languages = listed({"english.lng", "russian.lng"});
  languages.setSelected(1);
  EXPECT_EQ(FindStoredChoice(languages, "english.lng"), 0);
  EXPECT_EQ(FindStoredChoice(languages, "russian.lng"), -1);
  EXPECT_EQ(FindStoredChoice(languages, "English.lng"), -1);
  EXPECT_EQ(FindStoredChoice(languages, "english.lng "), -1);
  EXPECT_EQ(FindStoredChoice(languages, ""), -1);
}

}  // namespace
}  // namespace nimbra
