// RunConsoleCommand on the fake world: the interpreter of the system
// directory, its output through a pipe, the time-out, and the lines.
#include <gtest/gtest.h>

#include "fake/fake_world.h"
#include "host/os_console.h"
#include "platform/codes.h"

namespace nimbra {
namespace {

class ConsoleCommandTest : public ::testing::Test {
 protected:
  void childPrints(std::string output, bool timedOut = false) {
    world.processes.onRun = [output, timedOut](const fake::FakeProcesses::Child&) {
      return platform::ChildOutput{true, timedOut, output};
    };
  }
  std::string run() { return RunConsoleCommand(platform, "ver"); }

  fake::FakeWorld world;
  platform::Platform platform = world.platform();
};

TEST_F(ConsoleCommandTest, RunsTheSystemInterpreterHiddenWithoutAutoRunAndATimeOut) {
  childPrints("\r\nMicrosoft Windows [Version 10.0.19045.3803]\r\n");
  EXPECT_EQ(run(), "\r\nMicrosoft Windows [Version 10.0.19045.3803]\r\n");

  ASSERT_EQ(world.processes.children.size(), 1u);
  const auto& child = world.processes.children[0];
  EXPECT_EQ(child.application, "C:\\Windows\\system32\\cmd.exe");
  EXPECT_EQ(child.commandLine, "\"C:\\Windows\\system32\\cmd.exe\" /d /c ver");
  EXPECT_EQ(child.creationFlags, 0x210u);
  EXPECT_EQ(child.directory, "C:\\Windows\\system32");
  EXPECT_EQ(child.timeoutMs, 10000u);
  // Nothing is written anywhere: no temporary file, no redirection.
  EXPECT_TRUE(world.files.listTree("C:\\").empty());
  EXPECT_TRUE(world.files.log().empty());
}

TEST_F(ConsoleCommandTest, CapturedBytesBecomeLinesEndingWithCrLf) {
  const struct {
    const char* captured;
    const char* text;
  } cases[] = {
      {"first\nsecond\r\nlast", "first\r\nsecond\r\nlast\r\n"},
      {"line\r\n\x1Agarbage\r\nmore\r\n", "line\r\n"},  // Ctrl-Z ends the text
      {"", "\r\n"},
      {"\n", "\r\n"},
      {"a\rb\r\n", "ab\r\n"},  // a lone CR is dropped
      {"\r\nMicrosoft Windows 6.1.7601\r\n", "\r\nMicrosoft Windows 6.1.7601\r\n"},
  };
  for (const auto& each : cases) EXPECT_EQ(CapturedLines(each.captured), each.text) << each.captured;
}

TEST_F(ConsoleCommandTest, AChildThatDoesNotStartOrTimesOutGivesOneEmptyLine) {
  world.faults.failNext(fake::Call::RunProcess);
  EXPECT_EQ(run(), "\r\n");
  // What a hung interpreter printed before it was ended is dropped.
  childPrints("Microsoft Windows [Version 6.3.9600]\r\n", /*timedOut=*/true);
  EXPECT_EQ(run(), "\r\n");
  EXPECT_EQ(world.processes.children.size(), 2u);
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

TEST_F(ConsoleCommandTest, WithoutASystemDirectoryNothingRuns) {
  world.system.systemFolder.clear();
  EXPECT_EQ(run(), "");
  EXPECT_TRUE(world.processes.children.empty());
}

}  // namespace
}  // namespace nimbra
