// Real message boxes, read and answered by the box robot on its own thread
// while this thread waits in the box.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "box_robot.h"
#include "platform/codes.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_message_boxes.h"

namespace nimbra::win32 {
namespace {

using platform::BoxText;
using tools::Answer;
using tools::BackgroundRobot;

constexpr std::uint32_t kUtf8 = CP_UTF8;

BoxText system(std::string_view bytes) { return BoxText(bytes, platform::kSystemCodePage); }

std::vector<int> buttonIdsOf(const tools::BoxView& box) {
  std::vector<int> ids;
  for (const auto& button : box.buttons) ids.push_back(button.id);
  return ids;
}

TEST(MessageBoxes, QuestionShowsCaptionTextAndYesNoAndReturnsTheButtonPressed) {
  Win32MessageBoxes boxes;
  BackgroundRobot robot(::GetCurrentProcessId(), {Answer::No});
  const int pressed =
      boxes.messageBox(system("Install the new pack?\r\nNimbra will restart."), system("Nimbra update"),
                       win::kQuestionBoxStyle);
  const auto records = robot.stop();
  EXPECT_EQ(pressed, win::kIdNo);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].box.caption, "Nimbra update");
  EXPECT_EQ(records[0].box.text, "Install the new pack?\r\nNimbra will restart.");
  EXPECT_EQ(buttonIdsOf(records[0].box), (std::vector<int>{win::kIdYes, win::kIdNo}));
}

TEST(MessageBoxes, ErrorBoxWithServiceNotificationStyleShowsOkAndReturnsIt) {
  Win32MessageBoxes boxes;
  BackgroundRobot robot(::GetCurrentProcessId(), {Answer::Ok});
  const int pressed = boxes.messageBox(system("Cannot open the file"), system("Error"), win::kErrorBoxStyle);
  const auto records = robot.stop();
  EXPECT_EQ(pressed, win::kIdOk);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].box.text, "Cannot open the file");
  EXPECT_EQ(buttonIdsOf(records[0].box), (std::vector<int>{win::kIdOk}));
}

TEST(MessageBoxes, LanguageOfTheExtendedBoxSetsTheButtonTexts) {
  Win32MessageBoxes boxes;
  BackgroundRobot robot(::GetCurrentProcessId(), {Answer::Yes, Answer::Yes});
  EXPECT_EQ(boxes.messageBoxEx(system("?"), system("Nimbra"), win::kQuestionBoxStyle, win::kLangRussian),
            win::kIdYes);
  EXPECT_EQ(boxes.messageBoxEx(system("?"), system("Nimbra"), win::kQuestionBoxStyle, 1033), win::kIdYes);
  const auto records = robot.stop();
  ASSERT_EQ(records.size(), 2u);
  ASSERT_EQ(records[0].box.buttons.size(), 2u);
  EXPECT_EQ(records[0].box.buttons[0].wideText, L"&\u0414\u0430");        // &Да
  EXPECT_EQ(records[0].box.buttons[1].wideText, L"&\u041D\u0435\u0442");  // &Нет
  ASSERT_EQ(records[1].box.buttons.size(), 2u);
  EXPECT_EQ(records[1].box.buttons[0].wideText, L"&Yes");
  EXPECT_EQ(records[1].box.buttons[1].wideText, L"&No");
}

TEST(MessageBoxes, AnsiTextIsShownByteForByteInTheUsersCodePage) {
  // Letters in both Windows-1251 and Windows-1252, so the test holds in either locale.
  const std::string text = "\xC0\xE0\xDF\xFF \xC9\xE9 \xAB\xBB";
  Win32MessageBoxes boxes;
  BackgroundRobot robot(::GetCurrentProcessId(), {Answer::Ok});
  EXPECT_EQ(boxes.messageBoxEx(system(text), system(text), win::kErrorBoxStyle, win::kLangRussian), win::kIdOk);
  const auto records = robot.stop();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].box.caption, text);
  EXPECT_EQ(records[0].box.text, text);
}

TEST(WideText, EachPieceIsReadInItsOwnCodePage) {
  // Не (Windows-1251), Š (Windows-1250), é (UTF-8), ASCII in the system's, and
  // a code page no system has, read as the system's.
  const BoxText text = BoxText("\xCD\xE5 ", platform::kCyrillicCodePage) + BoxText("\x8A", 1250) +
                       BoxText("\xC3\xA9", kUtf8) + system(" C:\\N\\") + BoxText("abc", 12345);
  EXPECT_EQ(WideText(text), L"\u041D\u0435 \u0160\u00E9 C:\\N\\abc");
  EXPECT_EQ(WideText(BoxText()), L"");
}

TEST(MessageBoxes, PiecesOfSeveralCodePagesReadRightInAnyLocale) {
  // "Не удаётся открыть файл C:\Café\dwix.cok": Russian text, path in UTF-8.
  const BoxText text = BoxText("\xCD\xE5 \xF3\xE4\xE0\xB8\xF2\xF1\xFF \xEE\xF2\xEA\xF0\xFB\xF2\xFC "
                               "\xF4\xE0\xE9\xEB ", platform::kCyrillicCodePage) +
                       BoxText("C:\\Caf\xC3\xA9\\dwix.cok", kUtf8);
  Win32MessageBoxes boxes;
  BackgroundRobot robot(::GetCurrentProcessId(), {Answer::Ok});
  EXPECT_EQ(boxes.messageBoxEx(text, BoxText("\xCD\xE8\xEC\xE1\xF0\xE0", platform::kCyrillicCodePage),
                               win::kErrorBoxStyle, win::kLangRussian),
            win::kIdOk);
  const auto records = robot.stop();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].box.wideCaption, L"\u041D\u0438\u043C\u0431\u0440\u0430");  // Нимбра
  EXPECT_EQ(records[0].box.wideText,
            L"\u041D\u0435 \u0443\u0434\u0430\u0451\u0442\u0441\u044F \u043E\u0442\u043A\u0440\u044B\u0442\u044C "
            L"\u0444\u0430\u0439\u043B C:\\Caf\u00E9\\dwix.cok");
}

}  // namespace
}  // namespace nimbra::win32

