#include "box_robot.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "box_transcript.h"
#include "scratch.h"

namespace nimbra::tools {
namespace {

using namespace std::chrono_literals;

DWORD thisProcess() { return GetCurrentProcessId(); }

TEST(BoxRobot, AnswersYesAndTheBoxReturnsIdYes) {
  BackgroundRobot robot(thisProcess(), {Answer::Yes});
  EXPECT_EQ(MessageBoxA(nullptr, "Install?", "Question", MB_YESNO | MB_ICONQUESTION), IDYES);
  const std::vector<BoxRecord> boxes = robot.stop();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].scripted, Answer::Yes);
  EXPECT_EQ(boxes[0].pressed, Answer::Yes);
}

TEST(BoxRobot, AnswersBoxesInTheOrderOfTheScript) {
  BackgroundRobot robot(thisProcess(), {Answer::No, Answer::Yes, Answer::Ok});
  EXPECT_EQ(MessageBoxA(nullptr, "first", "1", MB_YESNO), IDNO);
  EXPECT_EQ(MessageBoxA(nullptr, "second", "2", MB_YESNO), IDYES);
  EXPECT_EQ(MessageBoxA(nullptr, "third", "3", MB_OK), IDOK);
  const std::vector<BoxRecord> boxes = robot.stop();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].box.caption, "1");
  EXPECT_EQ(boxes[1].box.caption, "2");
  EXPECT_EQ(boxes[2].box.caption, "3");
}

TEST(BoxRobot, ReadsCaptionAndTextAsTheAnsiBytesGiven) {
  // Bytes that both Windows-1251 and Windows-1252 map to letters, and a CR LF.
  const std::string caption = "Caption \xC0\xE9";
  const std::string text = "Line one\r\nLine two \xC4\xE0";
  BackgroundRobot robot(thisProcess(), {Answer::Ok});
  MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
  const std::vector<BoxRecord> boxes = robot.stop();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].box.caption, caption);
  EXPECT_EQ(boxes[0].box.text, text);
  EXPECT_EQ(boxes[0].box.wideText.substr(0, 10), L"Line one\r\n");
}

TEST(BoxRobot, SeesTheButtonsOfAYesNoBox) {
  BackgroundRobot robot(thisProcess(), {Answer::No});
  MessageBoxA(nullptr, "text", "caption", MB_YESNO);
  const std::vector<BoxRecord> boxes = robot.stop();
  ASSERT_EQ(boxes.size(), 1u);
  ASSERT_EQ(boxes[0].box.buttons.size(), 2u);
  EXPECT_EQ(boxes[0].box.buttons[0].id, IDYES);
  EXPECT_EQ(boxes[0].box.buttons[1].id, IDNO);
  EXPECT_EQ(boxes[0].box.button(IDOK), nullptr);
}

TEST(BoxRobot, EnglishBoxHasEnglishButtons) {
  // The tests run with LC_ALL=en_US.UTF-8 (see CMakeLists.txt).
  BackgroundRobot robot(thisProcess(), {Answer::Yes});
  MessageBoxA(nullptr, "text", "caption", MB_YESNO);
  const std::vector<BoxRecord> boxes = robot.stop();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].box.button(IDYES)->wideText, L"&Yes");
  EXPECT_EQ(boxes[0].box.button(IDYES)->text, "&Yes");
  EXPECT_EQ(boxes[0].box.button(IDNO)->wideText, L"&No");
}

TEST(BoxRobot, RussianLanguageBoxHasRussianButtons) {
  BackgroundRobot robot(thisProcess(), {Answer::No});
  EXPECT_EQ(MessageBoxExA(nullptr, "text", "caption", MB_YESNO, MAKELANGID(LANG_RUSSIAN, SUBLANG_NEUTRAL)), IDNO);
  const std::vector<BoxRecord> boxes = robot.stop();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].box.button(IDYES)->wideText, L"&\u0414\u0430");
  EXPECT_EQ(boxes[0].box.button(IDNO)->wideText, L"&\u041D\u0435\u0442");
}

TEST(BoxRobot, DismissesBoxesBeyondTheScript) {
  BackgroundRobot robot(thisProcess(), {Answer::Yes});
  EXPECT_EQ(MessageBoxA(nullptr, "scripted", "1", MB_YESNO), IDYES);
  EXPECT_EQ(MessageBoxA(nullptr, "unexpected", "2", MB_YESNO), IDNO);
  EXPECT_EQ(MessageBoxA(nullptr, "unexpected", "3", MB_YESNOCANCEL), IDCANCEL);
  const std::vector<BoxRecord> boxes = robot.stop();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_FALSE(boxes[1].scripted);
  EXPECT_EQ(boxes[1].pressed, Answer::No);
  EXPECT_EQ(boxes[2].pressed, Answer::Cancel);
}

TEST(BoxRobot, ScriptedButtonMissingFromTheBoxIsRecordedAndTheBoxDismissed) {
  BackgroundRobot robot(thisProcess(), {Answer::Yes});
  EXPECT_EQ(MessageBoxA(nullptr, "error", "caption", MB_OK | MB_ICONERROR), IDOK);
  const std::vector<BoxRecord> boxes = robot.stop();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].scripted, Answer::Yes);
  EXPECT_EQ(boxes[0].pressed, Answer::Ok);
}

TEST(BoxRobot, PollFindsNothingWhenNoBoxIsOpen) {
  BoxRobot robot(thisProcess(), {Answer::Yes});
  EXPECT_FALSE(robot.poll());
  EXPECT_EQ(robot.answersLeft(), 1u);
}

TEST(BoxRobot, DoesNotSeeTheBoxesOfAnotherProcess) {
  // A live process of our own making, so that the robot watches a real id.
  testing::ChildProcess other(moduleFolderAnsi() + "nimbra.exe",
                              {"--serve", "--no-hold", "--no-window", "--no-mapping", "--lifetime-ms", "20000",
                               "--log", moduleFolderAnsi() + "foreign.log"});
  ASSERT_TRUE(other.started());
  // The box has a thread of its own, and this one polls both robots: one
  // thread more, as in every other test here. 32-bit Wine under qemu-i386
  // sometimes loses a thread that starts beside another new one ("Cannot get
  // server thread queue"), and the process crashes.
  std::atomic<int> answer{0};
  std::thread box([&answer] { answer = MessageBoxA(nullptr, "mine", "mine", MB_YESNO); });
  BoxRobot foreign(other.id(), {Answer::Yes});
  BoxRobot own(thisProcess(), {Answer::No});
  while (answer.load() == 0) {
    foreign.poll();
    own.poll();
    std::this_thread::sleep_for(20ms);
  }
  box.join();
  EXPECT_EQ(answer.load(), IDNO);
  EXPECT_EQ(own.records().size(), 1u);
  EXPECT_TRUE(foreign.records().empty());
  DeleteFileA((moduleFolderAnsi() + "foreign.log").c_str());
}

TEST(BoxTranscript, RecordLineHoldsWideTextsBytesButtonsAndAnswers) {
  BoxRecord record;
  record.box.caption = "\xCD";
  record.box.wideCaption = L"\u041D";
  record.box.text = "a\r\nb";
  record.box.wideText = L"a\r\nb";
  record.box.buttons = {{IDYES, nullptr, "&??", L"&\u0414\u0430"}, {IDNO, nullptr, "&No", L"&No"}};
  record.scripted = Answer::Yes;
  record.pressed = Answer::Yes;
  EXPECT_EQ(boxRecordLine(record, 2, 812, 1700000000000).str(),
            R"({"event":"box","index":2,"t_ms":812,"unix_ms":1700000000000,)"
            R"("caption":"\u041d","caption_hex":"cd","text":"a\r\nb","text_hex":"610d0a62",)"
            R"("buttons":[{"id":"yes","text":"&\u0414\u0430","text_hex":"263f3f"},)"
            R"({"id":"no","text":"&No","text_hex":"264e6f"}],"script":"yes","answer":"yes"})");
}

TEST(BoxTranscript, UnansweredBoxHasNullScriptAndAnswer) {
  BoxRecord record;
  const std::string line = boxRecordLine(record, 0, 0, 0).str();
  EXPECT_NE(line.find(R"("buttons":[],"script":null,"answer":null})"), std::string::npos) << line;
}

}  // namespace
}  // namespace nimbra::tools
