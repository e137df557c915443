// The resource installer on the fake world: what ends up at the target, what
// the user sees, and above all that no failure costs the pack already there.
#include "install/resource_installer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "fake/fake_world.h"
#include "platform/codes.h"

namespace nimbra {
namespace {

using fake::BoxRecord;
using fake::Call;

constexpr const char* kFolder = "C:\\Nimbra";
constexpr const char* kTarget = "C:\\Nimbra\\dwix.cok";
const std::string kOldPack = std::string("dwix\x25", 5) + "the pack of version 5, longer than the new one";
const std::string kNewPack = std::string("dwix\x26", 5) + "version 6";

class ResourceInstallerTest : public ::testing::Test {
 protected:
  ResourceInstallerTest() {
    settings.englishTitle = "Nimbra update";
    settings.programTitle = "Обновление программы \"Нимбра\"";
    world.files.addFile("C:\\Nimbra\\nimbra.exe", "MZ");
    world.resources.add("DWIX", "COK", kNewPack);
  }

  InstallOutcome install(std::string_view target = kTarget) {
    return InstallResourceFile(world.platform(), settings, "dwix", "cok", target);
  }

  // Everything in the installation folder, for checking that nothing was left behind.
  std::vector<std::string> folder() const { return world.files.listTree(kFolder); }

  void expectOneInstallBox(std::string_view target = kTarget) {
    ASSERT_EQ(world.boxes.shown.size(), 1u);
    const BoxRecord& box = world.boxes.shown[0];
    EXPECT_EQ(box.function, BoxRecord::Function::MessageBoxW);
    EXPECT_EQ(box.caption, "Nimbra update");
    EXPECT_EQ(box.text, "Can't install file " + std::string(target));
    EXPECT_EQ(box.style, 0x00200010u);
  }

  fake::FakeWorld world;
  Settings settings;
};

TEST_F(ResourceInstallerTest, ReplacesAnExistingPackByteForByteAndShowsNothing) {
  world.files.addFile(kTarget, kOldPack);
  EXPECT_EQ(install(), InstallResult::Installed);
  EXPECT_EQ(world.files.contents(kTarget), kNewPack);
  EXPECT_TRUE(world.boxes.shown.empty());
  EXPECT_TRUE(world.clock.sleeps.empty());
  EXPECT_EQ(folder(), (std::vector<std::string>{"C:\\Nimbra\\nimbra.exe", kTarget}));
  EXPECT_EQ(world.files.openFiles(), 0);
}

TEST_F(ResourceInstallerTest, CreatesThePackWhenNoneIsInstalled) {
  EXPECT_EQ(install(), InstallResult::Installed);
  EXPECT_EQ(world.files.contents(kTarget), kNewPack);
  EXPECT_TRUE(world.boxes.shown.empty());
  EXPECT_TRUE(world.clock.sleeps.empty());
}

TEST_F(ResourceInstallerTest, TemporaryFileIsCreatedNewWithNoSharingBesideTheTarget) {
  install();
  EXPECT_NE(std::find(world.files.log().begin(), world.files.log().end(),
                      "c:\\nimbra\\dwix.cok.new write share=0 create-new"),
            world.files.log().end());
}

TEST_F(ResourceInstallerTest, EmptyResourceGivesAnEmptyFile) {
  world.resources.add("DWIX", "COK", std::string_view());
  world.files.addFile(kTarget, kOldPack);
  EXPECT_EQ(install(), InstallResult::Installed);
  EXPECT_EQ(world.files.contents(kTarget), "");
}

TEST_F(ResourceInstallerTest, ResourceOfSeveralWriteChunksArrivesWhole) {
  std::string big(2 * kInstallWriteChunk + 3, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 251);
  world.resources.add("DWIX", "COK", big);
  EXPECT_EQ(install(), InstallResult::Installed);
  EXPECT_EQ(world.files.contents(kTarget), big);
}

TEST_F(ResourceInstallerTest, MissingResourceShowsTheBoxAndLeavesTheTargetUntouched) {
  world.files.addFile(kTarget, kOldPack);
  InstallOutcome outcome = InstallResourceFile(world.platform(), settings, "dwax", "cok", kTarget);
  EXPECT_EQ(outcome, InstallResult::Failed);
  EXPECT_EQ(outcome.error, win::kErrorResourceNameNotFound);
  expectOneInstallBox();
  EXPECT_EQ(world.files.contents(kTarget), kOldPack);
  EXPECT_EQ(folder(), (std::vector<std::string>{"C:\\Nimbra\\nimbra.exe", kTarget}));
}

TEST_F(ResourceInstallerTest, MissingFolderShowsTheBoxAndCreatesNothing) {
  const char* target = "C:\\Elsewhere\\dwix.cok";
  InstallOutcome outcome = install(target);
  EXPECT_EQ(outcome, InstallResult::Failed);
  EXPECT_EQ(outcome.error, win::kErrorPathNotFound);
  expectOneInstallBox(target);
  EXPECT_FALSE(world.files.exists("C:\\Elsewhere"));
  EXPECT_TRUE(world.clock.sleeps.empty());
}

TEST_F(ResourceInstallerTest, RussianBoxUnderTheCyrillicUi) {
  settings.cyrillicUi = true;
  world.files.addFile(kTarget, kOldPack);
  world.faults.failNext(Call::FileFlush);
  install();
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  const BoxRecord& box = world.boxes.shown[0];
  EXPECT_EQ(box.function, BoxRecord::Function::MessageBoxExW);
  EXPECT_EQ(box.language, 25);
  EXPECT_EQ(box.caption, settings.programTitle);
  EXPECT_EQ(box.style, 0x00200010u);
  // "Не удается установить файл " in Windows-1251.
  const std::string expected =
      "\xCD\xE5\x20\xF3\xE4\xE0\xE5\xF2\xF1\xFF\x20\xF3\xF1\xF2\xE0\xED\xEE\xE2\xE8\xF2\xFC\x20\xF4\xE0\xE9\xEB\x20"
      "C:\\Nimbra\\dwix.cok";
  EXPECT_EQ(box.text, expected);
}

// Each way the write can fail, set up on a world whose target holds the old pack.
struct FailurePoint {
  const char* name;
  std::function<void(fake::FakeWorld&)> arrange;
  std::uint32_t error;  // as the outcome reports it; 0 where the platform does not say
};

void PrintTo(const FailurePoint& point, std::ostream* out) { *out << point.name; }

class WriteFailureTest : public ResourceInstallerTest, public ::testing::WithParamInterface<FailurePoint> {};

TEST_P(WriteFailureTest, KeepsTheOldPackRemovesTheTemporaryFileAndShowsTheBoxOnce) {
  world.files.addFile(kTarget, kOldPack);
  GetParam().arrange(world);
  EXPECT_EQ(install(), InstallResult::Failed);
  expectOneInstallBox();
  EXPECT_EQ(world.files.contents(kTarget), kOldPack);
  EXPECT_EQ(folder(), (std::vector<std::string>{"C:\\Nimbra\\nimbra.exe", kTarget}));
  EXPECT_EQ(world.files.openFiles(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, WriteFailureTest,
    ::testing::Values(
        // The first open is the check that no one holds the target; the second creates the temporary file.
        FailurePoint{"TemporaryFileCannotBeCreated",
                     [](fake::FakeWorld& w) { w.faults.failNext(Call::FileOpen, win::kErrorAccessDenied, 1); },
                     win::kErrorAccessDenied},
        FailurePoint{"DiskFullGivesAShortWrite", [](fake::FakeWorld& w) { w.files.freeSpace = 7; }, win::kErrorDiskFull},
        FailurePoint{"DiskFullInALaterChunk",
                     [](fake::FakeWorld& w) {
                       w.resources.add("DWIX", "COK", std::string(kInstallWriteChunk + 100, 'x'));
                       w.files.freeSpace = kInstallWriteChunk + 10;
                     },
                     win::kErrorDiskFull},
        FailurePoint{"WriteFails", [](fake::FakeWorld& w) { w.faults.failNext(Call::FileWrite, win::kErrorDiskFull); }, 0},
        FailurePoint{"FlushFails", [](fake::FakeWorld& w) { w.faults.failNext(Call::FileFlush); }, 0},
        FailurePoint{"ReplaceFails", [](fake::FakeWorld& w) { w.faults.failNext(Call::FileReplace); },
                     win::kErrorAccessDenied},
        FailurePoint{"TargetIsReadOnly",
                     [](fake::FakeWorld& w) {
                       w.files.setAttributes(kTarget, win::kAttributeReadOnly | win::kAttributeArchive);
                     },
                     win::kErrorAccessDenied}),
    [](const ::testing::TestParamInfo<FailurePoint>& point) { return std::string(point.param.name); });

TEST_F(ResourceInstallerTest, TargetHeldForTwoAttemptsIsWrittenAfterTwoSleeps) {
  world.files.addFile(kTarget, kOldPack);
  world.files.holdOpen(kTarget, 512);
  EXPECT_EQ(install(), InstallResult::Installed);
  EXPECT_EQ(world.clock.sleeps, (std::vector<std::uint32_t>{256, 256}));
  EXPECT_EQ(std::count(world.files.log().begin(), world.files.log().end(),
                       "c:\\nimbra\\dwix.cok read share=0 open-existing"),
            3);
  EXPECT_EQ(world.files.contents(kTarget), kNewPack);
  EXPECT_TRUE(world.boxes.shown.empty());
}

TEST_F(ResourceInstallerTest, TargetHeldThroughoutIsInUseAfterSeventeenAttempts) {
  world.files.addFile(kTarget, kOldPack);
  world.files.holdOpen(kTarget);
  InstallOutcome outcome = install();
  EXPECT_EQ(outcome, InstallResult::InUse);
  EXPECT_EQ(outcome.error, win::kErrorSharingViolation);
  EXPECT_EQ(world.clock.sleeps, std::vector<std::uint32_t>(17, 256));
  EXPECT_EQ(world.files.log().size(), 17u);  // the exclusive opens only: nothing was written
  expectOneInstallBox();
  EXPECT_EQ(world.files.contents(kTarget), kOldPack);
}

TEST_F(ResourceInstallerTest, TargetTakenBetweenTheWaitAndTheReplaceIsInUse) {
  world.files.addFile(kTarget, kOldPack);
  world.faults.failNext(Call::FileReplace, win::kErrorSharingViolation);
  InstallOutcome outcome = install();
  EXPECT_EQ(outcome, InstallResult::InUse);
  EXPECT_EQ(outcome.error, win::kErrorSharingViolation);
  expectOneInstallBox();
  EXPECT_EQ(world.files.contents(kTarget), kOldPack);
  EXPECT_EQ(folder(), (std::vector<std::string>{"C:\\Nimbra\\nimbra.exe", kTarget}));
}

TEST_F(ResourceInstallerTest, OnlyASharingConflictIsWaitedFor) {
  world.files.addFile(kTarget, kOldPack);
  world.faults.failNext(Call::FileOpen, win::kErrorAccessDenied);  // the check; the write itself may still work
  EXPECT_EQ(install(), InstallResult::Installed);
  EXPECT_TRUE(world.clock.sleeps.empty());
  EXPECT_EQ(world.files.contents(kTarget), kNewPack);
}

TEST_F(ResourceInstallerTest, TemporaryNameLeftByAnEarlierRunIsNotTouched) {
  world.files.addFile(kTarget, kOldPack);
  world.files.addFile("C:\\Nimbra\\dwix.cok.new", "left over");
  EXPECT_EQ(install(), InstallResult::Installed);
  EXPECT_EQ(world.files.contents(kTarget), kNewPack);
  EXPECT_EQ(world.files.contents("C:\\Nimbra\\dwix.cok.new"), "left over");
  EXPECT_FALSE(world.files.exists("C:\\Nimbra\\dwix.cok.new1"));
}

TEST_F(ResourceInstallerTest, GivesUpWhenEveryTemporaryNameIsTaken) {
  world.files.addFile(kTarget, kOldPack);
  world.files.addFile("C:\\Nimbra\\dwix.cok.new", "");
  for (int i = 1; i < 100; ++i) world.files.addFile("C:\\Nimbra\\dwix.cok.new" + std::to_string(i), "");
  EXPECT_EQ(install(), InstallResult::Failed);
  expectOneInstallBox();
  EXPECT_EQ(world.files.contents(kTarget), kOldPack);
  EXPECT_FALSE(world.files.exists("C:\\Nimbra\\dwix.cok.new100"));
}

}  // namespace
}  // namespace nimbra
