// The log's line format and its writer on the fake world.
#include "deployment/run_log.h"

#include <gtest/gtest.h>

#include "deployment/log_line.h"
#include "deployment/run_expiry.h"
#include "fake/fake_world.h"
#include "platform/path_form.h"

namespace nimbra {
namespace {

TEST(IsoTimestamp, IsLocalTimeToTheMillisecondWithItsDistanceFromUtc) {
  EXPECT_EQ(IsoTimestamp({2026, 12, 8, 11, 47, 26, 412, 60}), "2026-12-08T11:47:26.412+01:00");
  EXPECT_EQ(IsoTimestamp({2026, 1, 2, 3, 4, 5, 6, 0}), "2026-01-02T03:04:05.006+00:00");
  EXPECT_EQ(IsoTimestamp({2026, 7, 1, 23, 59, 59, 999, -(9 * 60 + 30)}), "2026-07-01T23:59:59.999-09:30");
}

TEST(OneLogLine, LineBreaksAndControlCharactersNeverSplitARecord) {
  EXPECT_EQ(OneLogLine("a\r\nb\rc\nd"), "a | b | c | d");
  EXPECT_EQ(OneLogLine("a\tb\x01" "c\x7F"), "a b c ");
  EXPECT_EQ(OneLogLine("caf\xC3\xA9 \xFF"), "caf\xC3\xA9 \xFF");
}

TEST(OneLogLine, ALongRecordIsCutAtACharacterBoundaryAndMarked) {
  EXPECT_EQ(OneLogLine(std::string(kLogTextLimit, 'a')), std::string(kLogTextLimit, 'a'));
  std::string cyrillic;
  for (int i = 0; i < 3000; ++i) cyrillic += "\xD0\xAF";  // "Я" in UTF-8
  std::string line = OneLogLine("x" + cyrillic);
  EXPECT_LE(line.size(), kLogTextLimit);
  ASSERT_TRUE(line.ends_with("..."));
  EXPECT_EQ(line.size() % 2, 0u);  // "x", whole two-byte characters, "..."
  EXPECT_EQ(OneLogLine(std::string(5000, '\n')).size(), kLogTextLimit);
}

class RunLogOnFakes : public ::testing::Test {
 protected:
  RunLogOnFakes() { world.files.addFolder("C:\\Logs"); }
  fake::FakeWorld world;
  platform::Platform platform = world.platform();
};

TEST(StartsAsALogLine, OnlyATimestampAndABlankBeginALine) {
  EXPECT_TRUE(StartsAsALogLine("2026-12-08T11:47:26.412+01:00 exit code 0\r\n"));
  EXPECT_TRUE(StartsAsALogLine("2026-07-01T23:59:59.999-09:30 "));
  for (const char* other : {"", "2026-12-08T11:47:26.412+01:00", "2026-12-08 11:47:26.412+01:00 x",
                            "2026-12-08T11:47:26.412Z x", "@echo off\r\n", "[keep]\r\nx=2026-12-08T11:47:26.412"})
    EXPECT_FALSE(StartsAsALogLine(other)) << other;
}

TEST(IsLogFileName, EndsInLogOrTxtInAnyCase) {
  for (const char* name : {"C:\\Logs\\pack.log", "pack.LOG", "C:\\a\\notes.Txt"}) EXPECT_TRUE(IsLogFileName(name)) << name;
  for (const char* name : {"", "log", ".lo", "C:\\StartUp\\x.cmd", "x.ps1", "x.log.cmd", "x.log ", "x.log\\", "x.txt:s"})
    EXPECT_FALSE(IsLogFileName(name)) << name;
}

TEST(IsDriveOrShareFilePath, IsAFileOfADriveOrShareFolderAndNoPipeDeviceOrStream) {
  for (const char* path : {"C:\\Logs\\pack.log", "c:/logs/pack.log", "\\\\server\\share\\pack.log",
                           "\\\\server\\pipes\\pack.log", "C:\\Logs\\console.log", "C:\\Logs\\com10.log",
                           "C:\\Logs\\nul-x.log", "C:\\Logs\\..\\pack.log"})
    EXPECT_TRUE(platform::IsDriveOrShareFilePath(path)) << path;
  for (const char* path : {"\\\\.\\pipe\\x.log", "//./pipe/x.log", "\\\\?\\C:\\x.log", "\\??\\C:\\x.log",
                           "\\\\localhost\\pipe\\x.log", "\\\\server\\PIPE\\x.log", "\\\\*\\MailSlot\\x.log",
                           "x.log", "Logs\\x.log", "C:x.log", "\\Logs\\x.log", "C:\\Logs\\nul.log",
                           "C:\\Logs\\COM1.txt", "C:\\Logs\\con .log", "C:\\Logs\\lpt\xB9.log",
                           "C:\\Logs\\conout$.log", "C:\\Logs\\pack.txt:x.log", "C:\\Logs\\", "C:\\Logs\\.."})
    EXPECT_FALSE(platform::IsDriveOrShareFilePath(path)) << path;
}

TEST_F(RunLogOnFakes, AppendsUtf8LinesWithTheInjectedTime) {
  world.files.addFile("C:\\Logs\\pack.log", "2026-12-07T09:00:00.000+01:00 exit code 0\r\n");
  RunLog log(platform, "C:\\Logs\\pack.log");
  ASSERT_TRUE(log.enabled());
  log.record("folder C:\\Caf\xE9\\");
  world.clock.sleep(4352);
  log.record("exit code 1618");
  EXPECT_EQ(world.files.contents("C:\\Logs\\pack.log"),
            "2026-12-07T09:00:00.000+01:00 exit code 0\r\n"
            "2026-12-08T11:47:26.000+01:00 folder C:\\Caf\xC3\xA9\\\r\n"
            "2026-12-08T11:47:30.352+01:00 exit code 1618\r\n");
}

TEST_F(RunLogOnFakes, ALogThatCannotBeOpenedRecordsNothingAndCreatesNothing) {
  RunLog missingFolder(platform, "C:\\NoSuchFolder\\pack.log");
  world.files.addFolder("C:\\Logs\\folder.log");
  RunLog aFolder(platform, "C:\\Logs\\folder.log");
  world.faults.failNext(fake::Call::FileOpen, 5);
  RunLog denied(platform, "C:\\Logs\\denied.log");
  for (RunLog* log : {&missingFolder, &aFolder, &denied}) {
    EXPECT_FALSE(log->enabled());
    log->record("nothing");
  }
  EXPECT_EQ(world.files.listTree("C:\\Logs"), std::vector<std::string>{"C:\\Logs\\folder.log"});
  RunLog none;
  none.record("nowhere");
}

// The watchdog's record of a run that did not end, made on its own thread.
TEST_F(RunLogOnFakes, AnExpiryRecordsWhereTheRunStoodOnceTheLogIsOpen) {
  RunLog log;
  RunExpiry expiry;
  expiry.expire();  // the log is still being opened: nowhere to record
  log.open(platform, "C:\\Logs\\pack.log");
  expiry.recordIn(log);
  expiry.expire();
  log.atStep("reading the language files");
  expiry.expire();
  const std::string stopped =
      "2026-12-08T11:47:26.000+01:00 run stopped: no end after 10 minutes of work outside any box, while ";
  EXPECT_EQ(world.files.contents("C:\\Logs\\pack.log"),
            stopped + "starting up\r\n" + stopped + "reading the language files\r\n");
}

// The path comes from a command line that an unelevated program may have written.
TEST_F(RunLogOnFakes, OnlyALogIsWrittenAndAnythingElseIsLeftByteForByte) {
  world.files.addFile("C:\\Logs\\settings.txt", "[keep]\r\n");
  world.files.addFile("C:\\Logs\\empty.txt", "");
  for (const char* path : {"C:\\Logs\\x.cmd", "C:\\Logs\\settings.txt"}) {
    RunLog log(platform, path);
    EXPECT_FALSE(log.enabled()) << path;
    log.record("\"&calc&\"");
  }
  EXPECT_EQ(world.files.contents("C:\\Logs\\settings.txt"), "[keep]\r\n");
  EXPECT_FALSE(world.files.exists("C:\\Logs\\x.cmd"));
  RunLog empty(platform, "C:\\Logs\\empty.txt");
  EXPECT_TRUE(empty.enabled());
  EXPECT_EQ(world.files.openFiles(), 1);
}

// Opening a pipe lets its server, any program, see who opened it; a relative
// path is relative to whatever the current folder is. Neither is opened.
TEST_F(RunLogOnFakes, APathThatIsNoFileOfADriveOrShareFolderIsNeverOpened) {
  world.files.currentDirectory = "C:\\Logs";
  for (const char* path : {"\\\\.\\pipe\\x.log", "\\\\localhost\\pipe\\x.log", "x.log", "C:\\Logs\\nul.log"}) {
    RunLog log(platform, path);
    EXPECT_FALSE(log.enabled()) << path;
  }
  EXPECT_TRUE(world.files.log().empty());
  EXPECT_FALSE(world.files.exists("C:\\Logs\\x.log"));
  world.files.addFolder("\\\\server\\share\\logs");
  RunLog share(platform, "\\\\server\\share\\logs\\x.log");
  EXPECT_TRUE(share.enabled());
}

}  // namespace
}  // namespace nimbra
