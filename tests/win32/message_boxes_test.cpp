// Real message boxes, read and answered by the box robot on its own thread
// while this thread waits in the box.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "box_robot.h"
#include "platform/codes.h"
#include "platform/win32/win32_message_boxes.h"

namespace nimbra::win32 {
namespace {

using tools::Answer;
using tools::BackgroundRobot;

std::vector<int> buttonIdsOf(const tools::BoxView& box) {
  std::vector<int> ids;
  for (const auto& button : box.buttons) ids.push_back(button.id);
  return ids;
}

TEST(MessageBoxes, QuestionShowsCaptionTextAndYesNoAndReturnsTheButtonPressed) {
  Win32MessageBoxes boxes;
  BackgroundRobot robot(::GetCurrentProcessId(), {Answer::No});
  const int pressed =
      boxes.messageBox("Install the new pack?\r\nNimbra will restart.", "Nimbra update",
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
  const int pressed = boxes.messageBox("Cannot open the file", "Error", win::kErrorBoxStyle);
  const auto records = robot.stop();
  EXPECT_EQ(pressed, win::kIdOk);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].box.text, "Cannot open the file");
  EXPECT_EQ(buttonIdsOf(records[0].box), (std::vector<int>{win::kIdOk}));
}

TEST(MessageBoxes, LanguageOfTheExtendedBoxSetsTheButtonTexts) {
  Win32MessageBoxes boxes;
  BackgroundRobot robot(::GetCurrentProcessId(), {Answer::Yes, Answer::Yes});
  EXPECT_EQ(boxes.messageBoxEx("?", "Nimbra", win::kQuestionBoxStyle, win::kLangRussian),
            win::kIdYes);
  EXPECT_EQ(boxes.messageBoxEx("?", "Nimbra", win::kQuestionBoxStyle, 1033), win::kIdYes);
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
  EXPECT_EQ(boxes.messageBoxEx(text, text, win::kErrorBoxStyle, win::kLangRussian), win::kIdOk);
  const auto records = robot.stop();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].box.caption, text);
  EXPECT_EQ(records[0].box.text, text);
}

}  // namespace
}  // namespace nimbra::win32

