// The entry's run from start-up to release, driven by a literal command line.
#include "update/installer_main.h"

#include <gtest/gtest.h>

#include <new>

#include "deployment/run_expiry.h"
#include "fake/carried_pack.h"
#include "fake/fake_world.h"
#include "platform/codes.h"

namespace nimbra {
namespace {

using platform::RegistryRoot;

constexpr char kEnglish[] =
    "[langcode]\r\n1033\r\n\r\n[langver]\r\n1\r\n\r\n[langcharset]\r\n0\r\n\r\n[progname]\r\nNimbra\r\n";

class InstallerMain : public ::testing::Test {
 protected:
  InstallerMain() {
    world.registry.setString(RegistryRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion",
                             "ProgramFilesDir", "C:\\Program Files");
    world.files.addFile("C:\\Program Files\\Nimbra\\nimbra.exe", "");
    world.files.addFile("C:\\Program Files\\Nimbra\\language\\english.lng", kEnglish);
    fake::CarryPack(world.resources, "DWIX", "COK", std::string("dwix\x26") + "content");
  }
  fake::FakeWorld world;
  platform::Platform platform = world.platform();
};

TEST_F(InstallerMain, ModestRunAppFromTheCommandLineInstallsAndStartsNimbraWithoutAQuestion) {
  EXPECT_EQ(RunInstaller(platform, "\"C:\\Users\\me\\Downloads\\nimbra-pack-update.exe\" Modest RUNAPP"),
            ExitCode::Installed);
  EXPECT_TRUE(world.boxes.shown.empty());
  EXPECT_EQ(world.files.contents("C:\\Program Files\\Nimbra\\dwix.cok"), std::string("dwix\x26") + "content");
  EXPECT_EQ(world.processes.desktopOpens.size(), 1u);
  EXPECT_EQ(world.registry.openKeys(), 0);
  EXPECT_EQ(world.files.openFiles(), 0);
}

TEST_F(InstallerMain, WithoutArgumentsTheRunIsInteractiveAndItsBoxIsNotTimed) {
  world.boxes.answers = {win::kIdNo};
  bool watchedAndPaused = false;
  world.boxes.onShow = [&](const fake::BoxRecord&) {
    watchedAndPaused = world.watchdog.watching && world.watchdog.paused;
  };
  EXPECT_EQ(RunInstaller(platform, "\"C:\\Users\\me\\Downloads\\nimbra-pack-update.exe\""), ExitCode::Declined);
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  EXPECT_EQ(world.boxes.shown[0].style, win::kQuestionBoxStyle);
  EXPECT_FALSE(world.files.exists("C:\\Program Files\\Nimbra\\dwix.cok"));
  EXPECT_TRUE(watchedAndPaused);
  EXPECT_EQ(world.watchdog.budgetMs, kRunWorkBudgetMs);
  EXPECT_FALSE(world.watchdog.watching || world.watchdog.paused);
}

constexpr char kProgram[] = "\"C:\\Users\\me\\Downloads\\nimbra-pack-update.exe\" ";

TEST_F(InstallerMain, HelpShowsOnlyTheUsageBoxAndTouchesNoRegistryKey) {
  for (const char* word : {"/?", "-?", "/help", "-h", "--help"}) {
    fake::FakeWorld fresh;
    fresh.system.lcid = 1049;  // Cyrillic UI: the Russian usage
    platform::Platform p = fresh.platform();
    EXPECT_EQ(RunInstaller(p, std::string(kProgram) + word + " log=C:\\help.log"), ExitCode::Installed) << word;
    ASSERT_EQ(fresh.boxes.shown.size(), 1u) << word;
    EXPECT_EQ(fresh.boxes.shown[0].style, win::kInformationBoxStyle);
    EXPECT_EQ(fresh.boxes.shown[0].language, win::kLangRussian);
    EXPECT_FALSE(fresh.registry.keyExists(RegistryRoot::CurrentUser, "Software\\Tarvel\\Nimbra"));
    EXPECT_TRUE(fresh.processes.children.empty());  // no "ver" either
    EXPECT_TRUE(fresh.files.log().empty());
  }
}

TEST_F(InstallerMain, QuietEndsEveryFailureWithItsCodeAndNoBox) {
  world.files.addFile("C:\\Program Files\\Nimbra\\dwix.cok", "dwix\x25");
  world.files.holdOpen("C:\\Program Files\\Nimbra\\dwix.cok");
  world.faults.failNext(fake::Call::RestartReplace, win::kErrorAccessDenied);
  EXPECT_EQ(RunInstaller(platform, std::string(kProgram) + "modest runapp QUIET"), ExitCode::PackInUse);
  world.system.administrator = false;
  EXPECT_EQ(RunInstaller(platform, std::string(kProgram) + "modest quiet"), ExitCode::NotAdministrator);
  world.files.remove("C:\\Program Files\\Nimbra\\nimbra.exe");
  EXPECT_EQ(RunInstaller(platform, std::string(kProgram) + "modest x quiet"), ExitCode::NotInstalled);
  EXPECT_TRUE(world.boxes.shown.empty());
  // Without "quiet" the modest run shows its error as specified.
  EXPECT_EQ(RunInstaller(platform, std::string(kProgram) + "modest"), ExitCode::NotInstalled);
  EXPECT_EQ(world.boxes.shown.size(), 1u);
}

TEST_F(InstallerMain, TheLogTellsASuccessfulRunStepByStep) {
  world.files.addFolder("C:\\Logs");
  world.files.addFile("C:\\Program Files\\Nimbra\\dwix.cok", "dwix\x25");
  const std::string commandLine = std::string(kProgram) + "modest runapp quiet \"log=C:\\Logs\\pack.log\"";
  EXPECT_EQ(RunInstaller(platform, commandLine), ExitCode::Installed);
  const std::string prefix = "2026-12-08T11:47:26.000+01:00 ";
  EXPECT_EQ(world.files.contents("C:\\Logs\\pack.log"),
            prefix + "command line: " + commandLine + "\r\n" +
            prefix + "installer " NIMBRA_INSTALLER_VERSION ", carrying dwix.cok (key \"crickets\", version 6)\r\n" +
            prefix + "installation folder C:\\Program Files\\Nimbra\\ (the program files folder)\r\n" +
            prefix + "installed pack version 5\r\n" +
            prefix + "pack written: C:\\Program Files\\Nimbra\\dwix.cok\r\n" +
            prefix + "\"EstimatedSize\" = 0 KiB\r\n" +
            prefix + "\"dwix.cok version\" = 6\r\n" +
            prefix + "Nimbra started through the desktop shell, as the desktop user: C:\\Program Files\\Nimbra\\Nimbra.exe\r\n" +
            prefix + "exit code 0\r\n");
  EXPECT_EQ(world.registry.dword(RegistryRoot::LocalMachine,
                                 "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Nimbra",
                                 "dwix.cok version"),
            6u);
  // Every step after the log went through the one folder the run opened: no path was looked up again.
  EXPECT_EQ(world.files.pathCalls(),
            (std::vector<std::string>{"c:\\logs\\pack.log append", "c:\\program files\\nimbra folder"}));
}

// A held pack whose replace at the restart the system refuses (a share, say).
TEST_F(InstallerMain, TheLogOfAFailedWriteHasItsErrorTheUnshownBoxAndNoPackVersion) {
  world.files.addFile("C:\\Program Files\\Nimbra\\dwix.cok", "dwix\x25");
  world.files.holdOpen("C:\\Program Files\\Nimbra\\dwix.cok");
  world.faults.failNext(fake::Call::RestartReplace, win::kErrorNotSupported);
  EXPECT_EQ(RunInstaller(platform, std::string(kProgram) + "modest quiet log=C:\\pack.log"), ExitCode::PackInUse);
  const std::string log = world.files.contents("C:\\pack.log").value_or("");
  for (const char* line :
       {" installed pack: cannot be opened (error 32)\r\n", " replacement at the next restart refused (error 50)\r\n",
        " pack not written: C:\\Program Files\\Nimbra\\dwix.cok (in use by another program, error 32)\r\n",
        " error \"Nimbra update\": Can't install file C:\\Program Files\\Nimbra\\dwix.cok (quiet: not shown)\r\n",
        " Nimbra not started: argument 2 is not \"runapp\"\r\n", "+01:00 exit code 1618\r\n"})
    EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
  EXPECT_EQ(log.find("dwix.cok version"), std::string::npos);
  EXPECT_TRUE(world.boxes.shown.empty());
}

// A fleet's update of a pack held for ever: done at the next restart of
// Windows, unless a later run before it does the update itself.
TEST_F(InstallerMain, AQuietModestRunOfAHeldPackReplacesItAtTheRestartAndALaterRunWins) {
  const std::string pack = "C:\\Program Files\\Nimbra\\dwix.cok";
  const std::string carried = std::string("dwix\x26") + "content";
  world.files.addFile(pack, "dwix\x25");
  world.files.holdOpen(pack);
  EXPECT_EQ(RunInstaller(platform, std::string(kProgram) + "modest quiet log=C:\\pack.log"),
            ExitCode::RestartRequired);
  EXPECT_EQ(world.files.contents(pack), "dwix\x25");
  ASSERT_EQ(world.files.pendingAtRestart().size(), 1u);
  const std::string pending = world.files.pendingAtRestart()[0].first;
  EXPECT_EQ(world.files.contents(pending), carried);
  EXPECT_EQ(world.files.pendingAtRestart()[0].second, pack);
  const char* uninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Nimbra";
  EXPECT_EQ(world.registry.dword(RegistryRoot::LocalMachine, uninstall, "dwix.cok version"), 6u);
  EXPECT_TRUE(world.registry.dword(RegistryRoot::LocalMachine, uninstall, "EstimatedSize"));
  const std::string log = world.files.contents("C:\\pack.log").value_or("");
  EXPECT_NE(log.find(" pack in use by another program (error 32): its replacement by dwix.cok."), std::string::npos)
      << log;
  EXPECT_NE(log.find(".new is registered for the next restart of Windows: " + pack + "\r\n"), std::string::npos);
  EXPECT_NE(log.find("+01:00 exit code 3010\r\n"), std::string::npos);
  EXPECT_EQ(log.find("Can't install file"), std::string::npos);
  EXPECT_TRUE(world.boxes.shown.empty());
  EXPECT_EQ(world.files.openFiles(), 0);

  // Without "quiet" someone may be there to close Nimbra: retry later, as before.
  EXPECT_EQ(RunInstaller(platform, std::string(kProgram) + "modest"), ExitCode::PackInUse);
  EXPECT_EQ(world.files.pendingAtRestart().size(), 1u);

  // Before the restart Nimbra lets go, and an installer of another pack runs:
  // it removes the waiting version, and the restart finds nothing to replace.
  world.files.releaseHold(pack);
  const std::string newer = std::string("dwix\x27") + "a newer one";
  fake::CarryPack(world.resources, "DWIX", "COK", newer);
  EXPECT_EQ(RunInstaller(platform, std::string(kProgram) + "modest quiet"), ExitCode::Installed);
  EXPECT_FALSE(world.files.exists(pending));
  world.files.restart();
  EXPECT_EQ(world.files.contents(pack), newer);
  EXPECT_EQ(world.files.listTree("C:\\Program Files\\Nimbra").size(), 4u);  // language, english.lng, nimbra.exe, the pack
}

TEST_F(InstallerMain, TheLogOfADamagedInstallerHasBothChecksAndTheExitCode) {
  world.files.addFile("C:\\Program Files\\Nimbra\\dwix.cok", "dwix\x25");
  world.resources.add("DWIX", "COK", std::string("dwix\x26") + "contenT");
  EXPECT_EQ(RunInstaller(platform, std::string(kProgram) + "modest quiet log=C:\\pack.log"), ExitCode::InstallerDamaged);
  const std::string log = world.files.contents("C:\\pack.log").value_or("");
  for (const char* line :
       {" pack not written: the carried pack failed its check (CRC-32C 0x", " of 12 bytes, expected CRC-32C 0x",
        " of 12 bytes): the installer is damaged\r\n",
        " error \"Nimbra update\": The installer is damaged: the sound pack it carries failed its check. | "
        "Please download the installer again. (quiet: not shown)\r\n",
        "+01:00 exit code 1620\r\n"})
    EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
  EXPECT_EQ(log.find("EstimatedSize"), std::string::npos);
  EXPECT_EQ(world.files.contents("C:\\Program Files\\Nimbra\\dwix.cok"), "dwix\x25");
  EXPECT_TRUE(world.boxes.shown.empty());
}

// The budget runs out in the middle of a quiet run (here: while it waits for
// the held pack). The real watchdog ends the process there; the fake lets the
// run go on, whose own last lines follow.
TEST_F(InstallerMain, ARunThatDoesNotEndInTimeSaysSoInItsLogAndEndsWithTheFailureCode) {
  world.files.addFile("C:\\Program Files\\Nimbra\\dwix.cok", "dwix\x25");
  world.files.holdOpen("C:\\Program Files\\Nimbra\\dwix.cok");
  world.clock.onSleep = [&] {
    if (!world.watchdog.ranOut) world.watchdog.runOut();
  };
  RunInstaller(platform, std::string(kProgram) + "modest quiet log=C:\\pack.log");
  EXPECT_TRUE(world.watchdog.ranOut);
  EXPECT_EQ(world.watchdog.exitCode, static_cast<std::uint32_t>(ExitCode::Failed));
  const std::string log = world.files.contents("C:\\pack.log").value_or("");
  EXPECT_NE(log.find("+01:00 run stopped: no end after 10 minutes of work outside any box, while writing the pack\r\n"),
            std::string::npos)
      << log;
}

TEST_F(InstallerMain, WithoutAWatchdogNoRunStarts) {
  world.watchdog.noThread = true;
  EXPECT_EQ(RunInstaller(platform, std::string(kProgram) + "modest log=C:\\pack.log"), ExitCode::Failed);
  EXPECT_NE(world.files.contents("C:\\pack.log").value_or("").find(" run not started: no watchdog thread\r\n"),
            std::string::npos);
  EXPECT_FALSE(world.files.exists("C:\\Program Files\\Nimbra\\dwix.cok"));
  EXPECT_TRUE(world.boxes.shown.empty());
  EXPECT_TRUE(world.registry.log().empty());
}

// A lack of memory anywhere (here: while the first question is shown) ends the
// run with the code for any other failure, never through abort() and its 3,
// and releases every key and file on the way out.
TEST_F(InstallerMain, AnExceptionEndsTheRunAsAFailure) {
  world.boxes.onShow = [](const fake::BoxRecord&) { throw std::bad_alloc(); };
  EXPECT_EQ(RunInstaller(platform, "nimbra-pack-update.exe"), ExitCode::Failed);
  EXPECT_EQ(world.registry.openKeys(), 0);
  EXPECT_EQ(world.files.openFiles(), 0);
  EXPECT_FALSE(world.watchdog.paused);
}

// After the write the pack is in place: a failure then (here: while the final
// question is shown) is logged, and the run still reports the write's success.
TEST_F(InstallerMain, AnExceptionAfterTheWriteKeepsItsSuccess) {
  world.boxes.answers = {win::kIdYes};
  world.boxes.onShow = [shown = 0](const fake::BoxRecord&) mutable {
    if (++shown == 2) throw std::bad_alloc();
  };
  world.files.addFolder("C:\\Logs");
  EXPECT_EQ(RunInstaller(platform, std::string(kProgram) + "log=C:\\Logs\\pack.log"), ExitCode::Installed);
  EXPECT_EQ(world.files.contents("C:\\Program Files\\Nimbra\\dwix.cok"), std::string("dwix\x26") + "content");
  const std::string log = world.files.contents("C:\\Logs\\pack.log").value_or("");
  EXPECT_NE(log.find("unexpected failure"), std::string::npos) << log;
  EXPECT_NE(log.find("exit code 0"), std::string::npos) << log;
  EXPECT_EQ(world.registry.openKeys(), 0);
  EXPECT_EQ(world.files.openFiles(), 0);
}

}  // namespace
}  // namespace nimbra
