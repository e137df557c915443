// RunConsoleCommand on the fake world: the command line, the capture through
// a temporary file of our own, and what happens when parts are missing.
#include <gtest/gtest.h>

#include <regex>

#include "fake/fake_world.h"
#include "host/os_console.h"
#include "platform/codes.h"

namespace nimbra {
namespace {

constexpr const char* kCmd = "C:\\Windows\\system32\\cmd.exe";

// The path between `> "` and the closing quotation mark of a child's command line.
std::string redirectTarget(const std::string& commandLine) {
  auto at = commandLine.rfind("> \"");
  if (at == std::string::npos || commandLine.back() != '"') return {};
  return commandLine.substr(at + 3, commandLine.size() - at - 4);
}

class ConsoleCommandTest : public ::testing::Test {
 protected:
  ConsoleCommandTest() {
    world.files.addFolder("C:\\Temp");
    world.system.environment["ComSpec"] = kCmd;
    world.system.environment["Temp"] = "C:\\Temp";
  }

  // The child writes `output` where the command line redirects it.
  void childPrints(std::string output) {
    world.processes.onRun = [this, output](const std::string& commandLine) {
      std::string target = redirectTarget(commandLine);
      seenBeforeRun = world.files.contents(target);
      world.files.addFile(target, output);
      return true;
    };
  }

  std::string run() { return RunConsoleCommand(platform, random, "ver"); }

  fake::FakeWorld world;
  platform::Platform platform = world.platform();
  RandomGenerator random{12345};
  std::optional<std::string> seenBeforeRun;
};

TEST_F(ConsoleCommandTest, RunsTheInterpreterHiddenWithOutputRedirectedToANewTempFile) {
  childPrints("\r\nMicrosoft Windows [Version 10.0.19045.3803]\r\n");
  RandomGenerator expected{12345};
  std::string name = RandomTempName(expected);

  EXPECT_EQ(run(), "\r\nMicrosoft Windows [Version 10.0.19045.3803]\r\n");

  ASSERT_EQ(world.processes.children.size(), 1u);
  EXPECT_EQ(world.processes.children[0].commandLine,
            std::string(kCmd) + " /c ver > \"C:\\Temp\\" + name + "\"");
  EXPECT_EQ(world.processes.children[0].creationFlags, 0x210u);
  EXPECT_TRUE(std::regex_match(name, std::regex("[a-z]{8}")));
  // The file was there, empty, before the child ran, and is gone afterwards.
  EXPECT_EQ(seenBeforeRun, std::optional<std::string>(""));
  EXPECT_FALSE(world.files.exists("C:\\Temp\\" + name));
  EXPECT_EQ(world.files.openFiles(), 0);
}

TEST_F(ConsoleCommandTest, EveryLineEndsWithCrLfWhateverTheFileUsed) {
  childPrints("first\nsecond\r\nlast");
  EXPECT_EQ(run(), "first\r\nsecond\r\nlast\r\n");
}

TEST_F(ConsoleCommandTest, CtrlZEndsTheOutput) {
  childPrints("line\r\n\x1Agarbage\r\nmore\r\n");
  EXPECT_EQ(run(), "line\r\n");
}

TEST_F(ConsoleCommandTest, AChildThatWritesNothingGivesOneEmptyLine) {
  childPrints("");
  EXPECT_EQ(run(), "\r\n");
}

TEST_F(ConsoleCommandTest, AChildThatDoesNotStartGivesOneEmptyLineAndLeavesNoFile) {
  world.faults.failNext(fake::Call::RunProcess);
  EXPECT_EQ(run(), "\r\n");
  EXPECT_EQ(world.processes.children.size(), 1u);
  EXPECT_TRUE(world.files.listTree("C:\\Temp").empty());
}

TEST_F(ConsoleCommandTest, AnUnreadableOutputFileGivesOneEmptyLineAndIsStillDeleted) {
  childPrints("\r\nMicrosoft Windows [Version 10.0.1]\r\n");
  world.faults.failNext(fake::Call::FileOpen, win::kErrorSharingViolation, /*skip=*/1);
  EXPECT_EQ(run(), "\r\n");
  EXPECT_TRUE(world.files.listTree("C:\\Temp").empty());
}

TEST_F(ConsoleCommandTest, OutputIsConvertedFromOemToAnsi) {
  // CP866 'Ж' (0x86) is 0xC6 in Windows-1251.
  world.system.oemToAnsiTable = [](std::string_view text) {
    std::string out(text);
    for (char& c : out)
      if (c == '\x86') c = '\xC6';
    return out;
  };
  childPrints("\x86\r\n");
  EXPECT_EQ(run(), "\xC6\r\n");
}

TEST_F(ConsoleCommandTest, NoComSpecRunsNothingAndGivesNothing) {
  world.system.environment.erase("ComSpec");
  EXPECT_EQ(run(), "");
  world.system.environment["ComSpec"] = "";
  EXPECT_EQ(run(), "");
  EXPECT_TRUE(world.processes.children.empty());
  EXPECT_TRUE(world.files.listTree("C:\\Temp").empty());
}

TEST_F(ConsoleCommandTest, AComSpecThatDoesNotFitItsBufferCountsAsMissing) {
  world.system.environment["ComSpec"] = "C:\\" + std::string(256, 'x') + ".exe";  // 263 characters
  EXPECT_EQ(run(), "");
  world.system.environment["ComSpec"] = "C:\\" + std::string(253, 'x') + ".exe";  // 260
  EXPECT_EQ(run(), "");
  EXPECT_TRUE(world.processes.children.empty());

  world.system.environment["ComSpec"] = "C:\\" + std::string(252, 'x') + ".exe";  // 259 fits
  run();
  EXPECT_EQ(world.processes.children.size(), 1u);
}

TEST_F(ConsoleCommandTest, AComSpecWithABlankIsQuoted) {
  world.system.environment["ComSpec"] = "C:\\Program Files\\Shell\\cmd.exe";
  run();
  ASSERT_EQ(world.processes.children.size(), 1u);
  EXPECT_TRUE(world.processes.children[0].commandLine.starts_with("\"C:\\Program Files\\Shell\\cmd.exe\" /c ver > \""));
}

TEST(ConsoleCommandLine, IsComSpecSlashCCommandAndAQuotedRedirection) {
  EXPECT_EQ(ConsoleCommandLine("C:\\Windows\\system32\\cmd.exe", "ver", "C:\\T\\abcdefgh"),
            "C:\\Windows\\system32\\cmd.exe /c ver > \"C:\\T\\abcdefgh\"");
  EXPECT_EQ(ConsoleCommandLine("C:\\My Tools\\cmd.exe", "ver", "x"), "\"C:\\My Tools\\cmd.exe\" /c ver > \"x\"");
  EXPECT_EQ(ConsoleCommandLine("C:\\Tab\there\\cmd.exe", "ver", "x"), "\"C:\\Tab\there\\cmd.exe\" /c ver > \"x\"");
  // Already quoted by whoever set it: left alone.
  EXPECT_EQ(ConsoleCommandLine("\"C:\\My Tools\\cmd.exe\"", "ver", "x"), "\"C:\\My Tools\\cmd.exe\" /c ver > \"x\"");
}

TEST_F(ConsoleCommandTest, TempWithATrailingBackslashGetsNoSecondOne) {
  world.system.environment["Temp"] = "C:\\Temp\\";
  run();
  EXPECT_EQ(redirectTarget(world.processes.children[0].commandLine).find("\\\\"), std::string::npos);
  EXPECT_TRUE(redirectTarget(world.processes.children[0].commandLine).starts_with("C:\\Temp\\"));
}

TEST_F(ConsoleCommandTest, WithoutTempTheFileLiesInTheCurrentDirectory) {
  world.system.environment.erase("Temp");
  childPrints("ok\r\n");
  EXPECT_EQ(run(), "ok\r\n");
  std::string target = redirectTarget(world.processes.children[0].commandLine);
  EXPECT_TRUE(std::regex_match(target, std::regex("[a-z]{8}")));
  EXPECT_FALSE(world.files.exists(target));
  EXPECT_EQ(seenBeforeRun, std::optional<std::string>(""));
}

TEST_F(ConsoleCommandTest, AnExistingFileOfTheDrawnNameIsNeitherOverwrittenNorDeleted) {
  RandomGenerator preview{12345};
  std::string first = "C:\\Temp\\" + RandomTempName(preview);
  std::string second = "C:\\Temp\\" + RandomTempName(preview);
  world.files.addFile(first, "the user's own file");
  childPrints("ok\r\n");

  EXPECT_EQ(run(), "ok\r\n");

  EXPECT_EQ(redirectTarget(world.processes.children[0].commandLine), second);
  EXPECT_EQ(world.files.contents(first), std::optional<std::string>("the user's own file"));
  EXPECT_FALSE(world.files.exists(second));
}

TEST_F(ConsoleCommandTest, AFolderOfTheDrawnNameIsPassedOver) {
  RandomGenerator preview{12345};
  std::string first = "C:\\Temp\\" + RandomTempName(preview);
  std::string second = "C:\\Temp\\" + RandomTempName(preview);
  world.files.addFolder(first);
  run();
  EXPECT_EQ(redirectTarget(world.processes.children[0].commandLine), second);
  EXPECT_TRUE(world.files.folderExists(first));
}

TEST_F(ConsoleCommandTest, WhenNoTempFileCanBeCreatedNoChildIsStarted) {
  // A child could not redirect into a folder that is not there either.
  world.system.environment["Temp"] = "C:\\Missing";
  EXPECT_EQ(run(), "\r\n");
  EXPECT_TRUE(world.processes.children.empty());
  EXPECT_FALSE(world.files.exists("C:\\Missing"));
}

TEST(TempFolderPrefix, AddsABackslashOnlyWhenNeeded) {
  EXPECT_EQ(TempFolderPrefix(""), "");
  EXPECT_EQ(TempFolderPrefix("C:\\Temp"), "C:\\Temp\\");
  EXPECT_EQ(TempFolderPrefix("C:\\Temp\\"), "C:\\Temp\\");
  EXPECT_EQ(TempFolderPrefix("C:\\Temp/"), "C:\\Temp/\\");
}

TEST(RandomTempName, IsEightLowerCaseLettersFromTheGenerator) {
  RandomGenerator a{7}, b{7}, c{8};
  std::string fromA = RandomTempName(a);
  EXPECT_TRUE(std::regex_match(fromA, std::regex("[a-z]{8}")));
  EXPECT_EQ(fromA, RandomTempName(b));
  EXPECT_NE(fromA, RandomTempName(c));
  EXPECT_NE(fromA, RandomTempName(a));
}

}  // namespace
}  // namespace nimbra
