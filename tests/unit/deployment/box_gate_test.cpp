// The gate in front of every box: quiet runs show none, logs record them all.
#include "deployment/box_gate.h"

#include "lang/presentation.h"

#include <gtest/gtest.h>

#include "fake/fake_world.h"
#include "platform/codes.h"

namespace nimbra {
namespace {

class Gate : public ::testing::Test {
 protected:
  std::string Logged() const { return world.files.contents("C:\\Logs\\run.log").value_or(""); }

  fake::FakeWorld world;
  platform::Platform platform = world.platform();
  bool logFolder = (world.files.addFolder("C:\\Logs"), true);
  RunLog log{platform, "C:\\Logs\\run.log"};
};

TEST_F(Gate, AQuietRunShowsNoBoxAnswersNoAndRecordsWhatItWouldHaveShown) {
  BoxGate gate(world.boxes, log, /*quiet=*/true, world.watchdog);
  EXPECT_EQ(gate.messageBox(SystemText("Can't install file C:\\N\\dwix.cok"), SystemText("Nimbra update"), win::kErrorBoxStyle), win::kIdOk);
  EXPECT_EQ(gate.messageBoxEx(SystemText("Install?"), SystemText("Sound pack"), win::kQuestionBoxStyle, 1033), win::kIdNo);
  EXPECT_TRUE(world.boxes.shown.empty());
  EXPECT_NE(Logged().find(" error \"Nimbra update\": Can't install file C:\\N\\dwix.cok (quiet: not shown)\r\n"),
            std::string::npos);
  EXPECT_NE(Logged().find(" question \"Sound pack\": Install? -> No (quiet: not shown)\r\n"), std::string::npos);
}

TEST_F(Gate, AnOrdinaryRunShowsEveryBoxUnchangedAndRecordsEachAnswer) {
  BoxGate gate(world.boxes, log, /*quiet=*/false, world.watchdog);
  world.boxes.answers = {win::kIdYes, win::kIdNo, win::kIdOk};
  EXPECT_EQ(gate.messageBoxEx(SystemText("Install?\r\nSure?"), SystemText("Sound pack"), win::kQuestionBoxStyle, 1049), win::kIdYes);
  EXPECT_EQ(gate.messageBox(SystemText("Start?"), SystemText("Live Update"), win::kQuestionBoxStyle), win::kIdNo);
  EXPECT_EQ(gate.messageBoxEx(SystemText("No rights"), SystemText("Nimbra"), win::kErrorBoxStyle, 25), win::kIdOk);
  ASSERT_EQ(world.boxes.shown.size(), 3u);
  EXPECT_EQ(world.boxes.shown[0].function, fake::BoxRecord::Function::MessageBoxExW);
  EXPECT_EQ(world.boxes.shown[0].language, 1049);
  EXPECT_EQ(world.boxes.shown[0].text, "Install?\r\nSure?");
  EXPECT_EQ(world.boxes.shown[1].function, fake::BoxRecord::Function::MessageBoxW);
  EXPECT_EQ(world.boxes.shown[2].style, win::kErrorBoxStyle);
  EXPECT_NE(Logged().find("question \"Sound pack\": Install? | Sure? -> Yes\r\n"), std::string::npos);
  EXPECT_NE(Logged().find("question \"Live Update\": Start? -> No\r\n"), std::string::npos);
  EXPECT_NE(Logged().find("error \"Nimbra\": No rights\r\n"), std::string::npos);
}

TEST_F(Gate, WithoutALogTheBoxesAreShownAsBefore) {
  RunLog none;
  BoxGate gate(world.boxes, none, /*quiet=*/false, world.watchdog);
  world.boxes.answers = {win::kIdYes};
  EXPECT_EQ(gate.messageBox(SystemText("Start?"), SystemText("Live Update"), win::kQuestionBoxStyle), win::kIdYes);
  EXPECT_EQ(world.boxes.shown.size(), 1u);
  EXPECT_EQ(Logged(), "");
}

}  // namespace
}  // namespace nimbra
