// The resource installer on the fake world: what ends up at the target, what
// the user sees, and above all that no failure costs the pack already there.
#include "install/resource_installer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "fake/fake_world.h"
#include "install/temporary_file.h"
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

  // Checked against the build's record of the resource now carried, unless the test gives another.
  InstallOutcome install(std::optional<CarriedPackCheck> check = std::nullopt, std::string_view resource = "dwix") {
    if (!check) check = CarriedPackCheck{true, PackCheckOf(*world.resources.find("DWIX", "COK"))};
    auto opened = world.files.openFolder(kFolder);
    EXPECT_TRUE(opened.folder) << opened.error;
    if (!opened.folder) return {};
    return InstallResourceFile(world.platform(), settings, random, resource, "cok", {*opened.folder, "dwix.cok", kTarget},
                               *check);
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

  // The temporary name the next draw of a generator seeded like `random` gives.
  static std::string nextTemporary(std::uint32_t seed = 7) {
    RandomGenerator same{seed};
    return std::string(kFolder) + "\\" + TemporaryNameFor("dwix.cok", same);
  }

  fake::FakeWorld world;
  Settings settings;
  RandomGenerator random{7};
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

TEST_F(ResourceInstallerTest, TemporaryFileIsCreatedNewWithNoSharingUnderADrawnNameBesideTheTarget) {
  const std::string temporary = nextTemporary();
  EXPECT_TRUE(IsTemporaryNameOf(temporary.substr(std::string(kFolder).size() + 1), "dwix.cok")) << temporary;
  install();
  std::string lowered = temporary;
  for (char& c : lowered) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_NE(std::find(world.files.log().begin(), world.files.log().end(), lowered + " write share=0 create-new"),
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
  InstallOutcome outcome = install(CarriedPackCheck{}, "dwax");
  EXPECT_EQ(outcome, InstallResult::Failed);
  EXPECT_EQ(outcome.error, win::kErrorResourceNameNotFound);
  expectOneInstallBox();
  EXPECT_EQ(world.files.contents(kTarget), kOldPack);
  EXPECT_EQ(folder(), (std::vector<std::string>{"C:\\Nimbra\\nimbra.exe", kTarget}));
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
  std::uint32_t error;  // as the outcome reports it
};

void PrintTo(const FailurePoint& point, std::ostream* out) { *out << point.name; }

class WriteFailureTest : public ResourceInstallerTest, public ::testing::WithParamInterface<FailurePoint> {};

TEST_P(WriteFailureTest, KeepsTheOldPackRemovesTheTemporaryFileAndShowsTheBoxOnce) {
  world.files.addFile(kTarget, kOldPack);
  GetParam().arrange(world);
  const InstallOutcome outcome = install();
  EXPECT_EQ(outcome, InstallResult::Failed);
  EXPECT_EQ(outcome.error, GetParam().error);
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
        FailurePoint{"DiskFullWithNoRoomAtAll", [](fake::FakeWorld& w) { w.files.freeSpace = 0; }, win::kErrorDiskFull},
        FailurePoint{"WriteFails", [](fake::FakeWorld& w) { w.faults.failNext(Call::FileWrite, win::kErrorLockViolation); },
                     win::kErrorLockViolation},
        FailurePoint{"FlushFails", [](fake::FakeWorld& w) { w.faults.failNext(Call::FileFlush); }, win::kErrorAccessDenied},
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
  EXPECT_EQ(world.files.log().size(), 18u);  // the folder and the exclusive opens only: nothing was written
  expectOneInstallBox();
  EXPECT_EQ(world.files.contents(kTarget), kOldPack);
}

TEST_F(ResourceInstallerTest, TargetTakenBetweenTheWaitAndTheReplaceIsInUse) {
  // Windows refuses to replace a file another program has open with a
  // sharing violation or with access denied; the latter counts as held only
  // when the target cannot be opened exclusively just then.
  for (std::uint32_t refusal : {win::kErrorSharingViolation, win::kErrorAccessDenied}) {
    SCOPED_TRACE(refusal);
    world.files.addFile(kTarget, kOldPack);
    world.boxes.shown.clear();
    world.faults.failNext(Call::FileReplace, refusal);
    // The opens before it: the wait's and the temporary's.
    world.faults.failNext(Call::FileOpen, win::kErrorSharingViolation, 2);
    InstallOutcome outcome = install();
    EXPECT_EQ(outcome, InstallResult::InUse);
    EXPECT_EQ(outcome.error, refusal);
    expectOneInstallBox();
    EXPECT_EQ(world.files.contents(kTarget), kOldPack);
    EXPECT_EQ(folder(), (std::vector<std::string>{"C:\\Nimbra\\nimbra.exe", kTarget}));
    world.faults.clear();
  }
}

TEST_F(ResourceInstallerTest, AFailedFlushAfterTheReplaceLeavesThePackInstalledAndSaysSo) {
  world.files.addFile(kTarget, kOldPack);
  world.faults.failNext(Call::FileFlush, win::kErrorDiskFull, 1);  // the one before the replace succeeds
  InstallOutcome outcome = install();
  EXPECT_EQ(outcome, InstallResult::Installed);
  EXPECT_EQ(outcome.flushFailure, win::kErrorDiskFull);
  EXPECT_EQ(world.files.contents(kTarget), kNewPack);
  EXPECT_TRUE(world.boxes.shown.empty());
  EXPECT_EQ(world.files.openFiles(), 0);
}

TEST_F(ResourceInstallerTest, AWrittenPackIsCheckedOnceAndTheBenchmarksUncheckedBuildWritesWithoutARecord) {
  EXPECT_EQ(install().written, PackCheckOf(*world.resources.find("DWIX", "COK")));
  world.files.addFile(kTarget, kOldPack);
  const InstallOutcome unchecked = install(CarriedPackCheck{false, std::nullopt});
  EXPECT_EQ(unchecked, InstallResult::Installed);
  EXPECT_FALSE(unchecked.written);
  EXPECT_EQ(world.files.contents(kTarget), kNewPack);
}

// A damaged installer: the carried bytes against the build's record of the pack.
struct Damage {
  const char* name;
  std::function<void(std::string& carried)> damage;  // of the bytes the build recorded
  bool recorded = true;                               // false: the installer carries no record
};

void PrintTo(const Damage& damage, std::ostream* out) { *out << damage.name; }

class DamagedInstallerTest : public ResourceInstallerTest, public ::testing::WithParamInterface<Damage> {};

TEST_P(DamagedInstallerTest, WritesNothingKeepsTheOldPackAndSaysTheInstallerIsDamaged) {
  // Three write chunks, so that the damage can lie in the first, a middle or the last.
  std::string recorded(2 * kInstallWriteChunk + 5, '\0');
  for (std::size_t i = 0; i < recorded.size(); ++i) recorded[i] = static_cast<char>(i * 13 + i / 509);
  std::string carried = recorded;
  GetParam().damage(carried);
  world.resources.add("DWIX", "COK", recorded);
  const PackCheck record = PackCheckOf(*world.resources.find("DWIX", "COK"));
  world.resources.add("DWIX", "COK", carried);
  world.files.addFile(kTarget, kOldPack);

  const InstallOutcome outcome =
      install(CarriedPackCheck{true, GetParam().recorded ? std::optional(record) : std::nullopt});
  EXPECT_EQ(outcome, InstallResult::Damaged);
  if (GetParam().recorded) {
    EXPECT_EQ(outcome.written, PackCheckOf(*world.resources.find("DWIX", "COK")));
  }
  EXPECT_EQ(world.files.contents(kTarget), kOldPack);
  EXPECT_EQ(folder(), (std::vector<std::string>{"C:\\Nimbra\\nimbra.exe", kTarget}));
  EXPECT_EQ(world.files.openFiles(), 0);
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  EXPECT_EQ(world.boxes.shown[0].caption, "Nimbra update");
  EXPECT_EQ(world.boxes.shown[0].style, 0x00200010u);
  EXPECT_EQ(world.boxes.shown[0].text,
            "The installer is damaged: the sound pack it carries failed its check.\r\n"
            "Please download the installer again.");
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, DamagedInstallerTest,
    ::testing::Values(Damage{"ChangedFirstByte", [](std::string& c) { c[0] = 'D'; }},
                      Damage{"ChangedByteInTheMiddle", [](std::string& c) { c[kInstallWriteChunk + 17] ^= 0x01; }},
                      Damage{"ChangedLastByte", [](std::string& c) { c.back() ^= static_cast<char>(0x80); }},
                      Damage{"CutShort", [](std::string& c) { c.pop_back(); }},
                      Damage{"CutShortAndPaddedWithZeros", [](std::string& c) { c.replace(c.size() - 9, 9, 9, '\0'); }},
                      Damage{"NoRecord", [](std::string&) {}, false}),
    [](const ::testing::TestParamInfo<Damage>& damage) { return std::string(damage.param.name); });

TEST_F(ResourceInstallerTest, RussianDamagedInstallerBoxUnderTheCyrillicUi) {
  settings.cyrillicUi = true;
  world.files.addFile(kTarget, kOldPack);
  install(CarriedPackCheck{true, PackCheck{kNewPack.size(), 0}});
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  EXPECT_EQ(world.boxes.shown[0].caption, settings.programTitle);
  EXPECT_EQ(world.boxes.shown[0].language, 25);
  EXPECT_EQ(world.boxes.shown[0].text,
            "Программа установки повреждена: звуковой пакет в ней не прошёл проверку.\r\n"
            "Пожалуйста, загрузите программу установки заново.");
}

TEST_F(ResourceInstallerTest, OnlyASharingConflictIsWaitedFor) {
  world.files.addFile(kTarget, kOldPack);
  world.faults.failNext(Call::FileOpen, win::kErrorAccessDenied);  // the check; the write itself may still work
  EXPECT_EQ(install(), InstallResult::Installed);
  EXPECT_TRUE(world.clock.sleeps.empty());
  EXPECT_EQ(world.files.contents(kTarget), kNewPack);
}

TEST_F(ResourceInstallerTest, TakenTemporaryNamesAreDrawnAgainAndNeverBlockTheUpdate) {
  world.files.addFile(kTarget, kOldPack);
  // Squatted: the names the generator gives first, and every name of the old scheme.
  RandomGenerator same{7};
  for (int i = 0; i < 5; ++i) world.files.addFile(std::string(kFolder) + "\\" + TemporaryNameFor("dwix.cok", same), "not ours");
  world.files.addFile("C:\\Nimbra\\dwix.cok.new", "");
  for (int i = 1; i < 100; ++i) world.files.addFile("C:\\Nimbra\\dwix.cok.new" + std::to_string(i), "");
  const std::size_t before = folder().size();
  EXPECT_EQ(install(), InstallResult::Installed);
  EXPECT_EQ(world.files.contents(kTarget), kNewPack);
  // Files of other content are not ours to remove: all stay, and no new one is left.
  EXPECT_EQ(folder().size(), before);
}

TEST_F(ResourceInstallerTest, StaleTemporariesOfThisPackAreRemovedOthersStay) {
  world.files.addFile(kTarget, kOldPack);
  const std::string partial = "C:\\Nimbra\\dwix.cok.abcdefgh.new";   // a run cut short mid-write
  const std::string whole = "C:\\Nimbra\\dwix.cok.zzzzzzzz.new";     // one cut short before the rename
  const std::string foreign = "C:\\Nimbra\\dwix.cok.qqqqqqqq.new";   // someone else's bytes
  const std::string other = "C:\\Nimbra\\dwix.cok.llllllll.new";     // another pack, e.g. waiting for a restart
  const std::string start = "C:\\Nimbra\\dwix.cok.ssssssss.new";     // the first bytes only
  const std::string otherName = "C:\\Nimbra\\dwix.cok.MNOPQRST.new";  // not one of our names
  world.files.addFile(partial, kNewPack.substr(0, 6));
  world.files.addFile(whole, kNewPack);
  world.files.addFile(foreign, "Dwix\x26 other");
  world.files.addFile(other, kOldPack + "and more");
  world.files.addFile(start, kNewPack.substr(0, 2));
  world.files.addFile(otherName, kNewPack.substr(0, 3));
  world.files.addFolder("C:\\Nimbra\\dwix.cok.ffffffff.new");
  world.files.addFile("C:\\Nimbra\\dwix.cok.kkkkkkkk.new", "", win::kAttributeReparsePoint);  // a link
  world.files.addFile("C:\\Nimbra\\dwix.cok.hhhhhhhh.new", "");
  world.files.holdOpen("C:\\Nimbra\\dwix.cok.hhhhhhhh.new");

  EXPECT_EQ(install(), InstallResult::Installed);
  for (const std::string& gone : {partial, whole, other, start}) EXPECT_FALSE(world.files.exists(gone)) << gone;
  for (const std::string& kept : {foreign, otherName, std::string("C:\\Nimbra\\dwix.cok.ffffffff.new"),
                                  std::string("C:\\Nimbra\\dwix.cok.kkkkkkkk.new"),
                                  std::string("C:\\Nimbra\\dwix.cok.hhhhhhhh.new")})
    EXPECT_TRUE(world.files.exists(kept)) << kept;
  EXPECT_EQ(world.files.openFiles(), 0);
}

TEST(TemporaryName, HasTheTargetNameEightLowerCaseLettersAndNew) {
  EXPECT_TRUE(IsTemporaryNameOf("dwix.cok.abcdefgh.new", "dwix.cok"));
  for (const char* name : {"dwix.cok.new", "dwix.cok.new1", "dwix.cok.abcdefg.new", "dwix.cok.abcdefghi.new",
                           "dwix.cok.abcdEfgh.new", "dwix.cok-abcdefgh.new", "dwix.cok.abcdefgh.old", "dwix.cok"})
    EXPECT_FALSE(IsTemporaryNameOf(name, "dwix.cok")) << name;
}

}  // namespace
}  // namespace nimbra
