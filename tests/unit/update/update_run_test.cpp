// The whole update run on the fake world: each path from the entry to its
// end, what the user sees, what lands on disk and in the registry, and the
// exit code.
#include "update/update_run.h"

#include <gtest/gtest.h>

#include <functional>

#include "fake/carried_pack.h"
#include "fake/fake_world.h"
#include "host/shared_registry.h"
#include "lang/language_format.h"
#include "platform/codes.h"
#include "update/nimbra_instance.h"

namespace nimbra {
namespace {

using fake::BoxRecord;
using platform::RegistryRoot;
using platform::TextPiece;

constexpr char kFolder[] = "C:\\Program Files\\Nimbra\\";
constexpr char kPack[] = "C:\\Program Files\\Nimbra\\dwix.cok";
constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Nimbra";
constexpr char kProductKey[] = "Software\\Tarvel\\Nimbra";

constexpr char kEnglish[] =
    "[langname]\r\nEnglish\r\n\r\n[langver]\r\n1\r\n\r\n[langcode]\r\n1033\r\n\r\n[langcharset]\r\n0\r\n\r\n"
    "[progname]\r\nNimbra\r\n\r\n[soundquest]\r\nSound pack\r\n\r\n"
    "[olderfilever]\r\nThe installed %1 is newer.\r\nReplace it anyway?\r\n\r\n"
    "[filecantopen]\r\nCan't open %1\r\nIs Nimbra still running?\r\n\r\n"
    "[installask]\r\nInstall %2 into %1?\r\n\r\n[liveupdatecaption]\r\nNimbra LiveUpdate\r\n\r\n"
    "[installdone]\r\n%1 is installed.\r\n\r\n[asktorun]\r\nStart Nimbra now?\r\n\r\n"
    "[noright]\r\nYou need administrator rights.\r\nPlease log in as an administrator.\r\n\r\n"
    "[crickets]\r\nCrickets\r\n\r\n[birds]\r\nBirds\r\n";

// Windows-1251 (charset 204), without "crickets": that one comes from english.lng.
constexpr char kRussian[] =
    "[langname]\r\nРусский\r\n\r\n[langver]\r\n1\r\n\r\n[langcode]\r\n1049\r\n\r\n[langcharset]\r\n204\r\n\r\n"
    "[progname]\r\nНимбра\r\n\r\n[soundquest]\r\nЗвуковой пакет\r\n\r\n[installask]\r\nУстановить %2 в %1?\r\n\r\n"
    "[liveupdatecaption]\r\nОбновление\r\n\r\n[installdone]\r\n%1 установлен.\r\n\r\n[asktorun]\r\nЗапустить?\r\n\r\n"
    "[filecantopen]\r\nНе открыть %1\r\n";

std::string Pack(char versionByte, std::size_t size = 64) {
  std::string pack = std::string("dwix") + versionByte;
  pack.resize(size, 'p');
  return pack;
}

class UpdateRun : public ::testing::Test {
 protected:
  UpdateRun() {
    world.registry.setString(RegistryRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion",
                             "ProgramFilesDir", "C:\\Program Files");
    world.files.addFile(std::string(kFolder) + "nimbra.exe", std::string(1000, 'x'));
    world.files.addFile(std::string(kFolder) + "language\\english.lng", kEnglish);
    fake::CarryPack(world.resources, "DWIX", "COK", carried);
    state.registry = std::make_unique<SharedRegistry>(world.registry, win::kKeyAllAccess | win::kKeyWow64_64Key);
    state.settings.userLcid = 1033;
  }

  ExitCode Run() { return RunUpdate(platform, state, languages, InstallerConfiguration{}, log, earned); }

  void Modest(std::string_view second = "") {
    StoreCommandLineArguments(
        state.settings, CommandLineArguments("\"C:\\Downloads\\nimbra-pack-update.exe\" MODEST " + std::string(second)));
  }

  std::vector<std::string> Captions() const {
    std::vector<std::string> captions;
    for (const auto& box : world.boxes.shown) captions.push_back(box.caption);
    return captions;
  }

  std::optional<std::uint32_t> EstimatedSize() const {
    return world.registry.dword(RegistryRoot::LocalMachine, kUninstallKey, "EstimatedSize");
  }

  bool LanguageFilesTouched() const {
    for (const auto& line : world.files.log())
      if (line.find("\\language\\") != std::string::npos) return true;
    return false;
  }

  fake::FakeWorld world;
  platform::Platform platform = world.platform();
  StartupState state;
  LanguageFiles languages;
  RunLog log;
  ExitCode earned = ExitCode::Failed;
  const std::string carried = Pack('\x26', 5000);
};

TEST_F(UpdateRun, OlderInstalledPackIsReplacedAfterTwoYesAnswersAndNimbraStartsInItsFolder) {
  world.files.addFile(kPack, Pack('\x25'));

  EXPECT_EQ(Run(), ExitCode::Installed);

  ASSERT_EQ(world.boxes.shown.size(), 2u);
  const BoxRecord& ask = world.boxes.shown[0];
  EXPECT_EQ(ask.function, BoxRecord::Function::MessageBoxExW);
  EXPECT_EQ(ask.caption, "Sound pack");
  EXPECT_EQ(ask.text, "Install Crickets 6 into Nimbra LiveUpdate?");
  EXPECT_EQ(ask.style, 0x00042024u);
  EXPECT_EQ(ask.language, 1033);
  const BoxRecord& done = world.boxes.shown[1];
  EXPECT_EQ(done.caption, "Nimbra LiveUpdate");
  EXPECT_EQ(done.text, "Nimbra LiveUpdate (Crickets 6) is installed.\r\n\r\nStart Nimbra now?");
  EXPECT_EQ(done.style, 0x00042024u);

  EXPECT_EQ(world.files.contents(kPack), carried);
  // Elevated, the installer asks the desktop shell, never starting Nimbra itself.
  EXPECT_TRUE(world.processes.shellOpens.empty());
  ASSERT_EQ(world.processes.desktopOpens.size(), 1u);
  const auto& open = world.processes.desktopOpens[0];
  EXPECT_EQ(open.verb, "open");
  EXPECT_EQ(open.file, "C:\\Program Files\\Nimbra\\Nimbra.exe");
  EXPECT_EQ(open.parameters, "");
  EXPECT_EQ(open.directory, kFolder);
  EXPECT_EQ(open.showCommand, 1);
  // The folder was opened once; the probe, the write, the size and the start went through it.
  EXPECT_EQ(world.files.pathCalls(), std::vector<std::string>{"c:\\program files\\nimbra folder"});
}

// A folder that is a link, or is reached through one, is somewhere else than
// the path says, and a link can be re-pointed at any time: no installation.
TEST_F(UpdateRun, AFolderThatIsALinkOrIsReachedThroughOneIsNoInstallation) {
  world.files.addFolderLink("C:\\Link", kFolder);
  world.files.addFolderLink("C:\\Apps", "C:\\Program Files");
  world.files.addFile("C:\\Apps\\Nimbra\\nimbra.exe", "");
  for (const char* folder : {"C:\\Link", "C:\\Apps\\Nimbra"}) {
    world.boxes.shown.clear();
    world.registry.setString(RegistryRoot::CurrentUser, kProductKey, "TheLastRunFolder", folder);
    EXPECT_EQ(Run(), ExitCode::NotInstalled) << folder;
    ASSERT_EQ(world.boxes.shown.size(), 1u);
    EXPECT_EQ(world.boxes.shown[0].text, "There's no Nimbra installed.\r\nPlease install the program first.");
  }
  EXPECT_FALSE(LanguageFilesTouched());
  EXPECT_FALSE(world.files.exists(kPack));
  EXPECT_TRUE(world.processes.desktopOpens.empty());
}

TEST_F(UpdateRun, EstimatedSizeIsTheFolderSizeInKiBAfterThePackIsWritten) {
  world.files.addFile(kPack, Pack('\x25', 100));
  EXPECT_EQ(Run(), ExitCode::Installed);
  // nimbra.exe 1000 + english.lng + the new pack of 5000 bytes.
  std::uint64_t bytes = 1000 + std::string(kEnglish).size() + 5000;
  EXPECT_EQ(EstimatedSize(), bytes / 1024);
  EXPECT_FALSE(world.registry.keyExists(RegistryRoot::LocalMachine,
                                        "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Nimbra"));
}

TEST_F(UpdateRun, EqualInstalledVersionIsNotOlderAndGoesStraightToTheInstallQuestion) {
  world.files.addFile(kPack, Pack('\x26'));
  EXPECT_EQ(Run(), ExitCode::Installed);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"Sound pack", "Nimbra LiveUpdate"}));
  EXPECT_EQ(world.boxes.shown[0].text, "Install Crickets 6 into Nimbra LiveUpdate?");
}

TEST_F(UpdateRun, NewerInstalledPackAsksFirstAndNoKeepsItUntouched) {
  world.files.addFile(kPack, Pack('\x27'));
  world.boxes.answers = {win::kIdNo};

  EXPECT_EQ(Run(), ExitCode::Declined);

  ASSERT_EQ(world.boxes.shown.size(), 1u);
  EXPECT_EQ(world.boxes.shown[0].caption, "Sound pack");
  EXPECT_EQ(world.boxes.shown[0].text, "The installed dwix.cok is newer.\r\nReplace it anyway?");
  EXPECT_EQ(world.files.contents(kPack), Pack('\x27'));
  EXPECT_EQ(EstimatedSize(), std::nullopt);
  EXPECT_TRUE(world.processes.desktopOpens.empty());
}

TEST_F(UpdateRun, NewerInstalledPackReplacedWhenTheUserAgreesTwice) {
  world.files.addFile(kPack, Pack('\x27'));
  EXPECT_EQ(Run(), ExitCode::Installed);
  ASSERT_EQ(world.boxes.shown.size(), 3u);
  EXPECT_EQ(world.boxes.shown[1].text, "Install Crickets 6 into Nimbra LiveUpdate?");
  EXPECT_EQ(world.files.contents(kPack), carried);
}

TEST_F(UpdateRun, NoAnswerToTheInstallQuestionWritesNothing) {
  world.files.addFile(kPack, Pack('\x25'));
  world.boxes.answers = {win::kIdNo};
  EXPECT_EQ(Run(), ExitCode::Declined);
  EXPECT_EQ(world.files.contents(kPack), Pack('\x25'));
  EXPECT_EQ(EstimatedSize(), std::nullopt);
  EXPECT_TRUE(world.processes.desktopOpens.empty());
}

TEST_F(UpdateRun, OnlyYesCountsAsYes) {
  world.boxes.answers = {0};  // the box could not be shown
  EXPECT_EQ(Run(), ExitCode::Declined);
  EXPECT_FALSE(world.files.exists(kPack));
}

TEST_F(UpdateRun, WithoutAnInstalledPackNothingIsProbedAndTheInstallQuestionIsAsked) {
  EXPECT_EQ(Run(), ExitCode::Installed);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"Sound pack", "Nimbra LiveUpdate"}));
  EXPECT_EQ(world.files.contents(kPack), carried);
  EXPECT_TRUE(world.clock.sleeps.empty());
}

TEST_F(UpdateRun, NoOnTheFinalQuestionLeavesNimbraClosed) {
  world.boxes.answers = {win::kIdYes, win::kIdNo};
  EXPECT_EQ(Run(), ExitCode::Installed);
  EXPECT_TRUE(world.processes.desktopOpens.empty());
}

TEST_F(UpdateRun, ModestRunAppInAnyCaseAsksNothingWritesAndStartsNimbra) {
  world.files.addFile(kPack, Pack('\x27'));
  Modest("RunApp");
  EXPECT_EQ(Run(), ExitCode::Installed);
  EXPECT_TRUE(world.boxes.shown.empty());
  EXPECT_EQ(world.files.contents(kPack), carried);
  EXPECT_TRUE(EstimatedSize().has_value());
  ASSERT_EQ(world.processes.desktopOpens.size(), 1u);
  EXPECT_EQ(world.processes.desktopOpens[0].file, "C:\\Program Files\\Nimbra\\Nimbra.exe");
}

class ModestRun : public UpdateRun, public ::testing::WithParamInterface<const char*> {};

TEST_P(ModestRun, WithoutRunAppAsksNothingWritesAndLeavesNimbraClosed) {
  Modest(GetParam());
  EXPECT_EQ(Run(), ExitCode::Installed);
  EXPECT_TRUE(world.boxes.shown.empty());
  EXPECT_TRUE(world.processes.desktopOpens.empty());
  EXPECT_EQ(world.files.contents(kPack), carried);
}

INSTANTIATE_TEST_SUITE_P(SecondArguments, ModestRun, ::testing::Values("", "run", "runapp2", "\"runapp x\""));

TEST_F(UpdateRun, LastRunFolderWinsAndGetsItsBackslash) {
  world.files.addFile("D:\\Apps\\Nimbra2\\nimbra.exe", "");
  world.files.addFile("D:\\Apps\\Nimbra2\\language\\english.lng", kEnglish);
  world.registry.setString(RegistryRoot::CurrentUser, kProductKey, "TheLastRunFolder", "D:\\Apps\\Nimbra2");
  EXPECT_EQ(Run(), ExitCode::Installed);
  EXPECT_EQ(state.settings.installationFolder, "D:\\Apps\\Nimbra2\\");
  EXPECT_EQ(world.files.contents("D:\\Apps\\Nimbra2\\dwix.cok"), carried);
  EXPECT_FALSE(world.files.exists(kPack));
  EXPECT_EQ(world.registry.openKeys(), 0);
}

TEST_F(UpdateRun, LastRunFolderThatIsNotAStringLeavesTheFoundFolder) {
  world.registry.setDword(RegistryRoot::CurrentUser, kProductKey, "TheLastRunFolder", 7);
  EXPECT_EQ(Run(), ExitCode::Installed);
  EXPECT_EQ(state.settings.installationFolder, kFolder);
}

// Empty, it would name the current directory: System32 for many elevated starts.
TEST_F(UpdateRun, EmptyLastRunFolderCountsAsAbsent) {
  world.files.currentDirectory = "C:\\Windows\\system32";
  world.files.addFile("C:\\Windows\\system32\\nimbra.exe", "");
  world.registry.setString(RegistryRoot::CurrentUser, kProductKey, "TheLastRunFolder", "");
  EXPECT_EQ(Run(), ExitCode::Installed);
  EXPECT_EQ(state.settings.installationFolder, kFolder);
  EXPECT_EQ(world.files.contents(kPack), carried);
  EXPECT_FALSE(world.files.exists("C:\\Windows\\system32\\dwix.cok"));
}

// Without "ProgramFilesDir" the folder is the relative "Nimbra\", and
// "TheLastRunFolder" may name any text: only a drive or share path counts as
// a folder. A relative one would be resolved against the current folder, and
// "\\?\GLOBALROOT\" reaches object-manager links of any user.
TEST_F(UpdateRun, AFolderThatIsNoDriveOrSharePathIsNoInstallation) {
  // Not a string: as good as missing.
  world.registry.setDword(RegistryRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion",
                          "ProgramFilesDir", 1);
  world.files.currentDirectory = "C:\\Users\\me\\Downloads";
  world.files.addFile("C:\\Users\\me\\Downloads\\Nimbra\\nimbra.exe", "");
  world.files.addFile("C:\\Users\\me\\Downloads\\Nimbra\\language\\english.lng", kEnglish);
  EXPECT_EQ(Run(), ExitCode::NotInstalled);
  EXPECT_EQ(state.settings.installationFolder, "Nimbra\\");
  EXPECT_FALSE(world.files.exists("C:\\Users\\me\\Downloads\\Nimbra\\dwix.cok"));

  for (const char* folder : {"\\\\?\\GLOBALROOT\\RPC Control\\", "\\\\.\\C:\\Nimbra\\", "\\??\\C:\\Nimbra\\",
                             "//?/C:/Nimbra/", "Downloads\\Nimbra\\", "\\\\localhost\\pipe\\Nimbra\\",
                             "\\\\server\\MailSlot\\Nimbra\\"}) {
    world.registry.setString(RegistryRoot::CurrentUser, kProductKey, "TheLastRunFolder", folder);
    EXPECT_EQ(Run(), ExitCode::NotInstalled) << folder;
  }
  EXPECT_TRUE(world.processes.desktopOpens.empty());
}

// How Nimbra's start goes, by the installer's elevation and what the shells do.
TEST_F(UpdateRun, NimbraStartsAsTheDesktopUserOrNotAtAll) {
  state.settings.productKey = "Nimbra";
  // Named by where the held folder is, in its full form.
  world.files.addFolder("C:\\Program Files\\Other");
  const auto installation = world.files.openFolder("C:\\Program Files\\Other\\..\\Nimbra").folder;
  NimbraStart start = StartNimbra(platform, state.settings, *installation);
  EXPECT_EQ(start.outcome, NimbraStartOutcome::StartedThroughDesktopShell);
  EXPECT_TRUE(world.processes.shellOpens.empty());

  // Elevated, with no desktop shell to ask: never started with the installer's own rights.
  world.processes.desktopResult = {platform::DesktopShellStep::FindDesktop, static_cast<std::int32_t>(0x80004005)};
  start = StartNimbra(platform, state.settings, *installation);
  EXPECT_EQ(start.outcome, NimbraStartOutcome::NoDesktopShell);
  EXPECT_EQ(start.failedStep, platform::DesktopShellStep::FindDesktop);
  EXPECT_EQ(start.code, static_cast<std::int32_t>(0x80004005));
  EXPECT_FALSE(start.started());
  EXPECT_TRUE(world.processes.shellOpens.empty());
  // A shell that does not answer is given up on, and the log says so.
  world.processes.desktopResult = {platform::DesktopShellStep::NoAnswer, static_cast<std::int32_t>(0x800705B4)};
  EXPECT_EQ(DescribeNimbraStart(StartNimbra(platform, state.settings, *installation)),
            "Nimbra not started: no desktop shell could start it without administrator rights: "
            "C:\\Program Files\\Nimbra\\Nimbra.exe (step 12, 0x800705B4)");
  // Without a thread to bound the shell's answer, the shell is not asked: its rights are not even read.
  world.processes.desktopShellElevation = platform::ShellElevation::Elevated;
  world.processes.desktopResult = {platform::DesktopShellStep::NoThread, static_cast<std::int32_t>(0x80070008)};
  EXPECT_EQ(DescribeNimbraStart(StartNimbra(platform, state.settings, *installation)),
            "Nimbra not started: no thread could be made to bound the desktop shell's answer: "
            "C:\\Program Files\\Nimbra\\Nimbra.exe (step 13, 0x80070008)");
  // A shell that runs elevated, or whose elevation cannot be read, would give
  // Nimbra administrator rights: it is asked nothing, whatever it would answer.
  world.processes.desktopResult = {};
  start = StartNimbra(platform, state.settings, *installation);
  EXPECT_FALSE(start.started());
  EXPECT_EQ(DescribeNimbraStart(start),
            "Nimbra not started: the desktop shell runs elevated, and Nimbra would have its administrator rights: "
            "C:\\Program Files\\Nimbra\\Nimbra.exe (step 6, 0x00000000)");
  world.processes.desktopShellElevation = platform::ShellElevation::Unknown;
  EXPECT_EQ(DescribeNimbraStart(StartNimbra(platform, state.settings, *installation)),
            "Nimbra not started: whether the desktop shell runs elevated could not be read: "
            "C:\\Program Files\\Nimbra\\Nimbra.exe (step 6, 0x80070005)");
  EXPECT_TRUE(DesktopShellMayStart(platform::ShellElevation::NotElevated));
  EXPECT_FALSE(DesktopShellMayStart(platform::ShellElevation::Elevated));
  // Without User Account Control the desktop user's own token is elevated: nothing to hand on.
  EXPECT_TRUE(DesktopShellMayStart(platform::ShellElevation::ElevatedAlone));
  EXPECT_FALSE(DesktopShellMayStart(platform::ShellElevation::Unknown));

  // Not elevated: it starts Nimbra itself, in the folder.
  world.system.elevated = false;
  start = StartNimbra(platform, state.settings, *installation);
  EXPECT_EQ(start.outcome, NimbraStartOutcome::StartedDirectly);
  ASSERT_EQ(world.processes.shellOpens.size(), 1u);
  EXPECT_EQ(world.processes.shellOpens[0].file, "C:\\Program Files\\Nimbra\\Nimbra.exe");
  EXPECT_EQ(world.processes.shellOpens[0].directory, kFolder);
  world.faults.failNext(fake::Call::ShellExecute);
  EXPECT_EQ(StartNimbra(platform, state.settings, *installation).outcome, NimbraStartOutcome::DirectStartFailed);
  EXPECT_EQ(world.processes.desktopOpens.size(), 6u);
}

// 100,000 "%2" in "liveupdatecaption" once asked for gigabytes; now every text
// stops at the cap, the run ends normally and quickly.
TEST_F(UpdateRun, AHostileLanguageFileCostsBoundedTextsAndEndsNormally) {
  std::string hostile;
  for (int i = 0; i < 100000; ++i) hostile += "%2";
  std::string english = kEnglish;
  english.replace(english.find("Nimbra LiveUpdate"), 17, hostile);
  world.files.addFile(std::string(kFolder) + "language\\english.lng", english);
  EXPECT_EQ(Run(), ExitCode::Installed);
  ASSERT_EQ(world.boxes.shown.size(), 2u);
  for (const BoxRecord& box : world.boxes.shown) {
    EXPECT_LE(box.text.size(), kTextLimit + 64);
    EXPECT_LE(box.caption.size(), kTextLimit);
  }
}

TEST_F(UpdateRun, WithoutLastRunFolderTheFoundFolderIsUsedAndTheProductKeyIsCreated) {
  EXPECT_EQ(Run(), ExitCode::Installed);
  EXPECT_EQ(state.settings.installationFolder, kFolder);
  EXPECT_TRUE(world.registry.keyExists(RegistryRoot::CurrentUser, kProductKey));
}

TEST_F(UpdateRun, MissingNimbraShowsOnlyTheBuiltInErrorAndTouchesNothingElse) {
  world.files.remove(std::string(kFolder) + "nimbra.exe");
  EXPECT_EQ(Run(), ExitCode::NotInstalled);
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  const BoxRecord& box = world.boxes.shown[0];
  EXPECT_EQ(box.function, BoxRecord::Function::MessageBoxW);
  EXPECT_EQ(box.caption, "Nimbra update");
  EXPECT_EQ(box.text, "There's no Nimbra installed.\r\nPlease install the program first.");
  EXPECT_EQ(box.style, 0x200010u);
  EXPECT_FALSE(LanguageFilesTouched());
  EXPECT_EQ(EstimatedSize(), std::nullopt);
  EXPECT_TRUE(world.processes.mappingProbes.empty());
}

TEST_F(UpdateRun, MissingNimbraUnderCyrillicUiIsReportedInRussianUnderTheRussianTitle) {
  world.files.remove(std::string(kFolder) + "nimbra.exe");
  state.settings.cyrillicUi = true;
  EXPECT_EQ(Run(), ExitCode::NotInstalled);
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  const BoxRecord& box = world.boxes.shown[0];
  EXPECT_EQ(box.function, BoxRecord::Function::MessageBoxExW);
  EXPECT_EQ(box.language, 25);
  // "Обновление программы \"Нимбра\"" in Windows-1251.
  EXPECT_EQ(box.caption, "\xCE\xE1\xED\xEE\xE2\xEB\xE5\xED\xE8\xE5 \xEF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xFB \"\xCD\xE8\xEC\xE1\xF0\xE0\"");
  EXPECT_TRUE(box.text.starts_with("\xCD\xE5\xF2 "));
  EXPECT_EQ(box.captionPieces, (std::vector<TextPiece>{{box.caption, platform::kCyrillicCodePage}}));
  EXPECT_EQ(box.textPieces, (std::vector<TextPiece>{{box.text, platform::kCyrillicCodePage}}));
}

TEST_F(UpdateRun, UnusableLanguageFilesEndTheRunBeforeAnyQuestion) {
  world.files.remove(std::string(kFolder) + "language\\english.lng");
  EXPECT_EQ(Run(), ExitCode::Failed);
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  EXPECT_EQ(world.boxes.shown[0].text, "Can't work with no english.lng file!\r\nPlease reinstall the program.");
  EXPECT_TRUE(world.processes.mappingProbes.empty());
}

TEST_F(UpdateRun, UnreadableRegistryEndsTheRunAtOnce) {
  world.registry.setValue(RegistryRoot::CurrentUser,
                          "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Startup",
                          {win::kRegBinary, "\x01\x02"});
  EXPECT_EQ(Run(), ExitCode::Failed);
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  EXPECT_EQ(world.boxes.shown[0].text, "No access to system registry");
  EXPECT_FALSE(LanguageFilesTouched());
}

TEST_F(UpdateRun, WithoutRightsNoRightIsShownAndARunningNimbraIsLeftAlone) {
  world.system.administrator = false;
  world.processes.mappings["nimbra_memfile"] = 64;
  world.processes.windows["TNimbraMainForm"] = 0x1234;
  EXPECT_EQ(Run(), ExitCode::NotAdministrator);
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  const BoxRecord& box = world.boxes.shown[0];
  EXPECT_EQ(box.function, BoxRecord::Function::MessageBoxExW);
  EXPECT_EQ(box.caption, "Nimbra");
  EXPECT_EQ(box.text, "You need administrator rights.\r\nPlease log in as an administrator.");
  EXPECT_EQ(box.style, 0x200010u);
  EXPECT_EQ(box.language, 1033);
  EXPECT_TRUE(world.processes.posts.empty());
}

TEST_F(UpdateRun, RunningNimbraGetsWmQuitBeforeTheFirstQuestionAndTheProbeWaitsForThePack) {
  world.files.addFile(kPack, Pack('\x25'));
  world.files.holdOpen(kPack, 512);  // Nimbra lets go after two failed opens
  world.processes.mappings["nimbra_memfile"] = 64;
  world.processes.windows["TNimbraMainForm"] = 0x1234;
  std::size_t postsAtFirstBox = 0;
  world.boxes.onShow = [&](const BoxRecord&) {
    if (postsAtFirstBox == 0) postsAtFirstBox = world.processes.posts.size();
  };

  EXPECT_EQ(Run(), ExitCode::Installed);

  ASSERT_EQ(world.processes.posts.size(), 1u);
  EXPECT_EQ(world.processes.posts[0].window, 0x1234u);
  EXPECT_EQ(world.processes.posts[0].message, 0x0012u);
  EXPECT_EQ(world.processes.posts[0].wParam, 0u);
  EXPECT_EQ(world.processes.posts[0].lParam, 0);
  EXPECT_EQ(postsAtFirstBox, 1u);
  EXPECT_EQ(world.clock.sleeps, (std::vector<std::uint32_t>{256, 256}));
  EXPECT_EQ(world.files.contents(kPack), carried);
}

TEST_F(UpdateRun, MappingWithoutAMainWindowPostsNothing) {
  world.processes.mappings["nimbra_memfile"] = 64;
  EXPECT_EQ(Run(), ExitCode::Installed);
  EXPECT_TRUE(world.processes.posts.empty());
}

TEST_F(UpdateRun, NoMappingNoPostEvenWithAWindow) {
  world.processes.windows["TNimbraMainForm"] = 0x1234;
  EXPECT_EQ(Run(), ExitCode::Installed);
  EXPECT_TRUE(world.processes.posts.empty());
}

TEST_F(UpdateRun, PackHeldThroughoutTheProbeEndsTheRunWithFileCantOpen) {
  world.files.addFile(kPack, Pack('\x25'));
  world.files.holdOpen(kPack);
  EXPECT_EQ(Run(), ExitCode::PackInUse);
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  EXPECT_EQ(world.boxes.shown[0].text, "Can't open C:\\Program Files\\Nimbra\\dwix.cok\r\nIs Nimbra still running?");
  EXPECT_EQ(world.boxes.shown[0].style, 0x200010u);
  EXPECT_EQ(world.clock.sleeps.size(), 17u);
  EXPECT_EQ(world.files.contents(kPack), Pack('\x25'));
  EXPECT_EQ(EstimatedSize(), std::nullopt);
}

// Waiting would not help: the run fails ("retry later" is for a pack in use).
TEST_F(UpdateRun, PackThatCannotBeOpenedForAnotherReasonEndsTheRunAsAFailure) {
  world.files.addFile(kPack, Pack('\x25'));
  world.files.failOpens(kPack, win::kErrorAccessDenied);
  EXPECT_EQ(Run(), ExitCode::Failed);
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  EXPECT_EQ(world.boxes.shown[0].text, "Can't open C:\\Program Files\\Nimbra\\dwix.cok\r\nIs Nimbra still running?");
  EXPECT_EQ(world.files.contents(kPack), Pack('\x25'));
  EXPECT_EQ(EstimatedSize(), std::nullopt);
}

class RussianChosenOnAnEnglishSystem : public UpdateRun {
 protected:
  RussianChosenOnAnEnglishSystem() {
    world.files.addFile(std::string(kFolder) + "language\\russian.lng", kRussian);
    world.registry.setString(RegistryRoot::CurrentUser, kProductKey, "LangFile", "russian.lng");
  }
  static constexpr std::uint32_t kSystem = platform::kSystemCodePage;
};

TEST_F(RussianChosenOnAnEnglishSystem, QuestionsAreWindows1251WithTheEnglishFallbackAndTheVersionInTheirOwn) {
  EXPECT_EQ(Run(), ExitCode::Installed);
  ASSERT_EQ(world.boxes.shown.size(), 2u);
  const BoxRecord& ask = world.boxes.shown[0];
  EXPECT_EQ(ask.captionPieces, (std::vector<TextPiece>{{"Звуковой пакет", 1251}}));
  EXPECT_EQ(ask.textPieces,
            (std::vector<TextPiece>{{"Установить ", 1251}, {"Crickets 6", kSystem}, {" в Обновление?", 1251}}));
  EXPECT_EQ(ask.language, 1049);
  const BoxRecord& done = world.boxes.shown[1];
  EXPECT_EQ(done.captionPieces, (std::vector<TextPiece>{{"Обновление", 1251}}));
  EXPECT_EQ(done.textPieces, (std::vector<TextPiece>{{"Обновление", 1251},
                                                     {" (Crickets 6)", kSystem},
                                                     {" установлен.", 1251},
                                                     {"\r\n\r\n", kSystem},
                                                     {"Запустить?", 1251}}));
}

TEST_F(RussianChosenOnAnEnglishSystem, FileCantOpenKeepsThePathInTheSystemsCodePage) {
  world.files.addFile(kPack, Pack('\x25'));
  world.files.holdOpen(kPack);
  EXPECT_EQ(Run(), ExitCode::PackInUse);
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  EXPECT_EQ(world.boxes.shown[0].captionPieces, (std::vector<TextPiece>{{"Нимбра", 1251}}));
  EXPECT_EQ(world.boxes.shown[0].textPieces, (std::vector<TextPiece>{{"Не открыть ", 1251}, {kPack, kSystem}}));
}

// Whatever kept the pack from its place, the final question claims no
// installation: it only offers to start Nimbra.
TEST_F(UpdateRun, AFailedWriteStillRecordsTheSizeAndOnlyOffersToStartNimbra) {
  const std::function<void(fake::FakeWorld&)> failures[] = {
      [](fake::FakeWorld& w) { w.faults.failAlways(fake::Call::FileReplace, win::kErrorAccessDenied); },
      [](fake::FakeWorld& w) { w.faults.failNext(fake::Call::FileReplace, win::kErrorSharingViolation); },
      [](fake::FakeWorld& w) { w.files.freeSpace = 100; },
  };
  const ExitCode codes[] = {ExitCode::Failed, ExitCode::PackInUse, ExitCode::Failed};
  for (std::size_t i = 0; i < std::size(failures); ++i) {
    SCOPED_TRACE(i);
    fake::FakeWorld& w = world;
    w.boxes.shown.clear();
    w.processes.desktopOpens.clear();
    w.faults.clear();
    w.files.freeSpace.reset();
    w.files.addFile(kPack, Pack('\x25'));
    failures[i](w);
    languages = LanguageFiles();
    EXPECT_EQ(Run(), codes[i]);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Sound pack", "Nimbra update", "Nimbra LiveUpdate"}));
    EXPECT_EQ(w.boxes.shown[1].text, "Can't install file C:\\Program Files\\Nimbra\\dwix.cok");
    EXPECT_EQ(w.boxes.shown[2].text, "Start Nimbra now?");
    EXPECT_EQ(w.boxes.shown[2].style, 0x00042024u);
    EXPECT_EQ(w.files.contents(kPack), Pack('\x25'));
    EXPECT_TRUE(EstimatedSize().has_value());
    EXPECT_FALSE(w.registry.dword(RegistryRoot::LocalMachine, kUninstallKey, "dwix.cok version"));
    EXPECT_EQ(w.processes.desktopOpens.size(), 1u);
  }
}

// One changed byte in the installer's copy of the pack: nothing is written,
// recorded or asked after the error; only the modest run's Nimbra is started.
TEST_F(UpdateRun, ADamagedInstallerWritesAndRecordsNothingAndEndsWith1620) {
  world.files.addFile(kPack, Pack('\x25'));
  std::string damaged = carried;
  damaged[2500] ^= 0x10;
  world.resources.add("DWIX", "COK", damaged);  // the record stays the build's
  EXPECT_EQ(Run(), ExitCode::InstallerDamaged);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"Sound pack", "Nimbra update"}));
  EXPECT_EQ(world.boxes.shown[1].text,
            "The installer is damaged: the sound pack it carries failed its check.\r\n"
            "Please download the installer again.");
  EXPECT_EQ(world.files.contents(kPack), Pack('\x25'));
  EXPECT_FALSE(EstimatedSize());
  EXPECT_FALSE(world.registry.dword(RegistryRoot::LocalMachine, kUninstallKey, "dwix.cok version"));
  EXPECT_TRUE(world.processes.desktopOpens.empty());

  world.boxes.shown.clear();
  languages = LanguageFiles();
  Modest("runapp");
  EXPECT_EQ(Run(), ExitCode::InstallerDamaged);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"Nimbra update"}));
  EXPECT_EQ(world.files.contents(kPack), Pack('\x25'));
  EXPECT_EQ(world.processes.desktopOpens.size(), 1u);
}

TEST_F(UpdateRun, ModestWriteOfAHeldPackGivesUpButStillStartsNimbraOnRunApp) {
  world.files.addFile(kPack, Pack('\x25'));
  world.files.holdOpen(kPack);
  Modest("runapp");
  EXPECT_EQ(Run(), ExitCode::PackInUse);
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  EXPECT_EQ(world.boxes.shown[0].text, "Can't install file C:\\Program Files\\Nimbra\\dwix.cok");
  EXPECT_EQ(world.files.contents(kPack), Pack('\x25'));
  EXPECT_EQ(world.processes.desktopOpens.size(), 1u);
}

TEST_F(UpdateRun, MissingUninstallKeyIsCreatedWithTheSizeAndThePackVersionForDetection) {
  EXPECT_EQ(Run(), ExitCode::Installed);
  EXPECT_EQ(world.registry.valueCount(RegistryRoot::LocalMachine, kUninstallKey), 2u);
  EXPECT_TRUE(EstimatedSize());
  EXPECT_EQ(world.registry.dword(RegistryRoot::LocalMachine, kUninstallKey, "dwix.cok version"), 6u);
}

TEST_F(UpdateRun, FailedSizeWriteIsNotReported) {
  world.faults.failAlways(fake::Call::RegistrySetValue);
  EXPECT_EQ(Run(), ExitCode::Installed);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"Sound pack", "Nimbra LiveUpdate"}));
}

struct PackNameRow {
  const char* fileName;
  const char* resourceName;
  const char* resourceType;
};

class PackResourceName : public ::testing::TestWithParam<PackNameRow> {};

TEST_P(PackResourceName, IsTheFileNameSplitAtItsLastDot) {
  const PackResource resource = PackResourceOf(GetParam().fileName);
  EXPECT_EQ(resource.name, GetParam().resourceName);
  EXPECT_EQ(resource.type, GetParam().resourceType);
}

INSTANTIATE_TEST_SUITE_P(Table, PackResourceName,
                         ::testing::Values(PackNameRow{"dwix.cok", "dwix", "cok"},
                                           PackNameRow{"dwix.v7.cok", "dwix.v7", "cok"},
                                           PackNameRow{"dwix", "dwix", ""}, PackNameRow{"dwix.", "dwix", ""}));

// An installer built for another pack: key "birds", file Birds7.pak, version 7.
class AnotherPack : public UpdateRun {
 protected:
  static constexpr char kBirds[] = "C:\\Program Files\\Nimbra\\Birds7.pak";

  AnotherPack() {
    fake::CarryPack(world.resources, "BIRDS7", "PAK", carried);
    world.files.addFile(kPack, Pack('\x25'));
  }

  ExitCode RunBirds() { return RunUpdate(platform, state, languages, {"birds", "Birds7.pak", 7}, log, earned); }
};

TEST_F(AnotherPack, InstalledVersion7IsNotNewerAndOnlyItsOwnFileIsWrittenFromItsResource) {
  world.files.addFile(kBirds, Pack('\x27'));
  EXPECT_EQ(RunBirds(), ExitCode::Installed);
  ASSERT_EQ(world.boxes.shown.size(), 2u);
  EXPECT_EQ(world.boxes.shown[0].text, "Install Birds 7 into Nimbra LiveUpdate?");
  EXPECT_EQ(world.boxes.shown[1].text, "Nimbra LiveUpdate (Birds 7) is installed.\r\n\r\nStart Nimbra now?");
  EXPECT_EQ(world.files.contents(kBirds), carried);
  EXPECT_EQ(world.files.contents(kPack), Pack('\x25'));
}

TEST_F(AnotherPack, InstalledVersion8IsNewer) {
  world.files.addFile(kBirds, Pack('\x28'));
  world.boxes.answers = {win::kIdNo};
  EXPECT_EQ(RunBirds(), ExitCode::Declined);
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  EXPECT_EQ(world.boxes.shown[0].text, "The installed Birds7.pak is newer.\r\nReplace it anyway?");
  EXPECT_EQ(world.files.contents(kBirds), Pack('\x28'));
}

}  // namespace
}  // namespace nimbra
