// The exact boxes of the three error presentations: which function, caption,
// text bytes, style and language, under both values of the Cyrillic UI flag
// and before and after a language file has been selected.
#include "lang/presentation.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "fake/fake_world.h"
#include "platform/codes.h"

namespace nimbra {
namespace {

using fake::BoxRecord;
using platform::BoxText;
using platform::TextPiece;

// The code page of the selected file's texts in these tests.
constexpr std::uint32_t kFileCodePage = 1250;

std::string bytes(std::initializer_list<unsigned char> list) { return std::string(list.begin(), list.end()); }

// "Обновление программы \"Нимбра\"" in Windows-1251.
const std::string kRussianUpdateTitle =
    bytes({0xCE, 0xE1, 0xED, 0xEE, 0xE2, 0xEB, 0xE5, 0xED, 0xE8, 0xE5, 0x20, 0xEF, 0xF0, 0xEE, 0xE3,
           0xF0, 0xE0, 0xEC, 0xEC, 0xFB, 0x20, 0x22, 0xCD, 0xE8, 0xEC, 0xE1, 0xF0, 0xE0, 0x22});
// "Не удаётся работать с файлом языковой поддержки " in Windows-1251 (ё is 0xB8).
const std::string kRussianCannotHandle =
    bytes({0xCD, 0xE5, 0x20, 0xF3, 0xE4, 0xE0, 0xB8, 0xF2, 0xF1, 0xFF, 0x20, 0xF0, 0xE0, 0xE1, 0xEE, 0xF2,
           0xE0, 0xF2, 0xFC, 0x20, 0xF1, 0x20, 0xF4, 0xE0, 0xE9, 0xEB, 0xEE, 0xEC, 0x20, 0xFF, 0xE7, 0xFB,
           0xEA, 0xEE, 0xE2, 0xEE, 0xE9, 0x20, 0xEF, 0xEE, 0xE4, 0xE4, 0xE5, 0xF0, 0xE6, 0xEA, 0xE8, 0x20});

class Presentation : public ::testing::Test {
 protected:
  // As the update run sets them at its start, before any language file is selected.
  Presentation() {
    settings.productKey = "Nimbra";
    settings.programTitle = "Обновление программы \"Нимбра\"";
    settings.programTitleCodePage = platform::kCyrillicCodePage;
    settings.englishTitle = "Nimbra update";
  }

  // What a language file selection changes: the program title becomes the
  // file's "progname", the message language id its "langcode".
  void selectLanguageFile(std::string progname, std::int32_t langcode) {
    settings.programTitle = std::move(progname);
    settings.programTitleCodePage = kFileCodePage;
    settings.messageLanguageId = langcode;
  }

  const BoxRecord& onlyBox() const {
    EXPECT_EQ(world.boxes.shown.size(), 1u);
    return world.boxes.shown.at(0);
  }

  fake::FakeWorld world;
  Settings settings;
};

TEST_F(Presentation, TheProgramTitleLiteralIsWindows1251) {
  EXPECT_EQ(settings.programTitle, kRussianUpdateTitle);
}

TEST_F(Presentation, BilingualErrorWithoutCyrillicUiIsEnglishUnderTheEnglishTitle) {
  ShowBilingualError(world.boxes, settings, EnglishText("No access to system registry"),
                     RussianText("Нет доступа к системному реестру"));
  const BoxRecord& box = onlyBox();
  EXPECT_EQ(box.function, BoxRecord::Function::MessageBoxW);
  EXPECT_EQ(box.caption, "Nimbra update");
  EXPECT_EQ(box.text, "No access to system registry");
  EXPECT_EQ(box.style, 0x200010u);
  EXPECT_EQ(box.captionPieces, (std::vector<TextPiece>{{"Nimbra update", platform::kSystemCodePage}}));
  EXPECT_EQ(box.textPieces, (std::vector<TextPiece>{{"No access to system registry", platform::kSystemCodePage}}));
}

TEST_F(Presentation, BilingualErrorWithoutCyrillicUiStaysEnglishAfterARussianFileIsSelected) {
  selectLanguageFile("Нимбра", 1049);
  ShowBilingualError(world.boxes, settings, EnglishText("Can't install file ") + SystemText("C:\\N\\dwix.cok"),
                     RussianText("Не удается установить файл ") + SystemText("C:\\N\\dwix.cok"));
  const BoxRecord& box = onlyBox();
  EXPECT_EQ(box.function, BoxRecord::Function::MessageBoxW);
  EXPECT_EQ(box.caption, "Nimbra update");
  EXPECT_EQ(box.text, "Can't install file C:\\N\\dwix.cok");
  EXPECT_EQ(box.style, 0x200010u);
}

TEST_F(Presentation, BilingualErrorWithCyrillicUiBeforeSelectionIsRussianUnderTheRussianTitleInLanguage25) {
  settings.cyrillicUi = true;
  ShowBilingualError(world.boxes, settings, EnglishText("No access to system registry"),
                     RussianText("Нет доступа к системному реестру"));
  const BoxRecord& box = onlyBox();
  EXPECT_EQ(box.function, BoxRecord::Function::MessageBoxExW);
  EXPECT_EQ(box.caption, kRussianUpdateTitle);
  EXPECT_EQ(box.text, bytes({0xCD, 0xE5, 0xF2, 0x20, 0xE4, 0xEE, 0xF1, 0xF2, 0xF3, 0xEF, 0xE0,
                             0x20, 0xEA, 0x20, 0xF1, 0xE8, 0xF1, 0xF2, 0xE5, 0xEC, 0xED, 0xEE,
                             0xEC, 0xF3, 0x20, 0xF0, 0xE5, 0xE5, 0xF1, 0xF2, 0xF0, 0xF3}));
  EXPECT_EQ(box.style, 0x200010u);
  EXPECT_EQ(box.language, 25);
}

TEST_F(Presentation, BilingualErrorWithCyrillicUiAfterAnEnglishFileIsRussianUnderTheEnglishProgname) {
  settings.cyrillicUi = true;
  selectLanguageFile("Nimbra", 1033);
  ShowBilingualError(world.boxes, settings, EnglishText("No access to system registry"),
                     RussianText("Нет доступа к системному реестру"));
  const BoxRecord& box = onlyBox();
  EXPECT_EQ(box.function, BoxRecord::Function::MessageBoxExW);
  EXPECT_EQ(box.caption, "Nimbra");
  EXPECT_EQ(box.text, "Нет доступа к системному реестру");
  // A built-in Russian text under a title from a file: each in its own code page.
  EXPECT_EQ(box.captionPieces, (std::vector<TextPiece>{{"Nimbra", kFileCodePage}}));
  EXPECT_EQ(box.textPieces, (std::vector<TextPiece>{{"Нет доступа к системному реестру", platform::kCyrillicCodePage}}));
  // The language of a built-in box follows the Cyrillic UI flag, not the file.
  EXPECT_EQ(box.language, 25);
}

TEST_F(Presentation, BilingualErrorPassesLineBreaksAndQuotesUnchanged) {
  const std::string english = "There's no Nimbra installed.\r\nPlease install the program first.";
  ShowBilingualError(world.boxes, settings, EnglishText(english), RussianText("x"));
  EXPECT_EQ(onlyBox().text, english);

  settings.cyrillicUi = true;
  const std::string russian = "Нет установленной программы \"Нимбра\"!\r\nПожалуйста, сначала установите её.";
  ShowBilingualError(world.boxes, settings, EnglishText("x"), RussianText(russian));
  ASSERT_EQ(world.boxes.shown.size(), 2u);
  EXPECT_EQ(world.boxes.shown[1].text, russian);
}

TEST_F(Presentation, CatalogueMessageUsesTheProgramTitleAndTheSelectedFilesLanguage) {
  selectLanguageFile("Нимбра", 1049);
  ShowCatalogueMessage(world.boxes, settings, BoxText("Не удается открыть файл", kFileCodePage));
  const BoxRecord& box = onlyBox();
  EXPECT_EQ(box.function, BoxRecord::Function::MessageBoxExW);
  EXPECT_EQ(box.caption, "Нимбра");
  EXPECT_EQ(box.text, "Не удается открыть файл");
  EXPECT_EQ(box.style, 0x200010u);
  EXPECT_EQ(box.language, 1049);
  EXPECT_EQ(box.captionPieces, (std::vector<TextPiece>{{"Нимбра", kFileCodePage}}));
  EXPECT_EQ(box.textPieces, (std::vector<TextPiece>{{"Не удается открыть файл", kFileCodePage}}));
}

TEST_F(Presentation, CatalogueMessageIgnoresTheCyrillicUiFlag) {
  settings.cyrillicUi = true;
  selectLanguageFile("Nimbra", 1033);
  ShowCatalogueMessage(world.boxes, settings, BoxText("Can't open the file", kFileCodePage));
  const BoxRecord& box = onlyBox();
  EXPECT_EQ(box.function, BoxRecord::Function::MessageBoxExW);
  EXPECT_EQ(box.caption, "Nimbra");
  EXPECT_EQ(box.language, 1033);
}

TEST_F(Presentation, CatalogueMessageLanguageIsTheLow16BitsOfTheMessageLanguageId) {
  EXPECT_EQ(settings.messageLanguageId, -1);  // nothing selected yet
  ShowCatalogueMessage(world.boxes, settings, BoxText("a", kFileCodePage));
  selectLanguageFile("Nimbra", 0x00050419);
  ShowCatalogueMessage(world.boxes, settings, BoxText("b", kFileCodePage));
  ASSERT_EQ(world.boxes.shown.size(), 2u);
  EXPECT_EQ(world.boxes.shown[0].language, 0xFFFF);
  EXPECT_EQ(world.boxes.shown[1].language, 0x0419);
}

TEST_F(Presentation, LanguageFileErrorInEnglishNamesTheFile) {
  ReportLanguageFileError(world.boxes, settings, "russian.lng");
  const BoxRecord& box = onlyBox();
  EXPECT_EQ(box.function, BoxRecord::Function::MessageBoxW);
  EXPECT_EQ(box.caption, "Nimbra update");
  EXPECT_EQ(box.text, "Can't handle the language support file russian.lng");
  EXPECT_EQ(box.style, 0x200010u);
}

TEST_F(Presentation, LanguageFileErrorInRussianIsTheWindows1251TextAndTheFile) {
  settings.cyrillicUi = true;
  ReportLanguageFileError(world.boxes, settings, "russian.lng");
  const BoxRecord& box = onlyBox();
  EXPECT_EQ(box.function, BoxRecord::Function::MessageBoxExW);
  EXPECT_EQ(box.caption, kRussianUpdateTitle);
  EXPECT_EQ(box.text, kRussianCannotHandle + "russian.lng");
  EXPECT_EQ(box.style, 0x200010u);
  EXPECT_EQ(box.language, 25);
  // The file name is the system's: it keeps its own characters inside the Russian text.
  EXPECT_EQ(box.captionPieces, (std::vector<TextPiece>{{kRussianUpdateTitle, platform::kCyrillicCodePage}}));
  EXPECT_EQ(box.textPieces, (std::vector<TextPiece>{{kRussianCannotHandle, platform::kCyrillicCodePage},
                                                    {"russian.lng", platform::kSystemCodePage}}));
}

TEST_F(Presentation, LanguageFileErrorAfterSelectionCarriesTheFilesProgname) {
  settings.cyrillicUi = true;
  selectLanguageFile("Нимбра 5", 1049);
  ReportLanguageFileError(world.boxes, settings, "C:\\Nimbra\\language\\russian.lng");
  const BoxRecord& box = onlyBox();
  EXPECT_EQ(box.caption, "Нимбра 5");
  EXPECT_EQ(box.text, kRussianCannotHandle + "C:\\Nimbra\\language\\russian.lng");
  EXPECT_EQ(box.language, 25);
}

TEST_F(Presentation, ABoxThatIsNotShownIsPassedOver) {
  world.boxes.answers = {0, 0, 0};
  ShowBilingualError(world.boxes, settings, EnglishText("a"), RussianText("b"));
  ShowCatalogueMessage(world.boxes, settings, BoxText("c", kFileCodePage));
  ReportLanguageFileError(world.boxes, settings, "d");
  EXPECT_EQ(world.boxes.shown.size(), 3u);
}

}  // namespace
}  // namespace nimbra
