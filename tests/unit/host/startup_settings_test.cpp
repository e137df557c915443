// Start-up on the fake world: the seed, the locale and Cyrillic UI flag, the
// registry object's view, the start argument, and the release.
#include <gtest/gtest.h>

#include "fake/fake_world.h"
#include "host/startup_settings.h"
#include "platform/codes.h"

namespace nimbra {
namespace {

using fake::RegistryRoot;

class StartupTest : public ::testing::Test {
 protected:
  void start() { InitStartupSettings(platform, state, CommandLineArguments(ownCommandLine)); }

  fake::FakeWorld world;
  platform::Platform platform = world.platform();
  StartupState state;
  std::string ownCommandLine = "\"C:\\Downloads\\nimbra-pack-update.exe\"";
};

TEST(ClockSeed, IsTheLowHalfOfThePerformanceCounter) {
  fake::FakeClock clock;
  clock.counter = 0x123456789A;
  EXPECT_EQ(ClockSeed(clock), 0x3456789Au);
}

TEST(ClockSeed, IsTheTickCountWhenTheCounterFails) {
  fake::FakeClock clock;
  clock.counter.reset();
  clock.ticks = 4242;
  EXPECT_EQ(ClockSeed(clock), 4242u);
}

TEST_F(StartupTest, SeedsTheGeneratorFromTheCryptographicSourceElseFromTheClock) {
  world.system.randomValue = 0xC0FFEE11u;
  start();
  RandomGenerator fromSource{0xC0FFEE11u};
  EXPECT_EQ(state.random.next(), fromSource.next());
  world.system.randomValue.reset();
  world.clock.counter = 0x7700000042;
  start();
  RandomGenerator expected{0x00000042};
  EXPECT_EQ(state.random.next(), expected.next());
  world.clock.counter.reset();
  world.clock.ticks = 987654;
  start();
  expected.seed(987654);
  EXPECT_EQ(state.random.next(), expected.next());
}

struct LcidRow {
  std::uint32_t lcid;
  bool cyrillic;
};

class CyrillicUiLcid : public ::testing::TestWithParam<LcidRow> {};

TEST_P(CyrillicUiLcid, IsDecidedByTheWholeLcid) {
  EXPECT_EQ(IsCyrillicUiLcid(GetParam().lcid), GetParam().cyrillic) << std::hex << GetParam().lcid;
}

INSTANTIATE_TEST_SUITE_P(
    Table, CyrillicUiLcid,
    ::testing::Values(LcidRow{1026, true}, LcidRow{1049, true}, LcidRow{1058, true}, LcidRow{1059, true},
                      LcidRow{1087, true}, LcidRow{1092, true}, LcidRow{2073, true},
                      // Other Cyrillic-script locales, English, and Russian by primary language alone.
                      LcidRow{0x0C1A, false}, LcidRow{0x0440, false}, LcidRow{0x0450, false}, LcidRow{0x281A, false},
                      LcidRow{1033, false}, LcidRow{0, false}, LcidRow{0x0019, false}, LcidRow{0x10419, false},
                      LcidRow{0x0418, false}, LcidRow{0x041A, false}));

TEST_F(StartupTest, RussianUserGetsTheCyrillicUi) {
  world.system.lcid = 1049;
  start();
  EXPECT_EQ(state.settings.userLcid, 1049u);
  EXPECT_TRUE(state.settings.cyrillicUi);
}

TEST_F(StartupTest, EnglishUserDoesNot) {
  world.system.lcid = 1033;
  start();
  EXPECT_EQ(state.settings.userLcid, 1033u);
  EXPECT_FALSE(state.settings.cyrillicUi);
}

TEST_F(StartupTest, A64BitSystemGetsTheRegistryObjectInThe64BitView) {
  start();  // the fake's 64-bit Windows 7
  EXPECT_TRUE(state.is64Bit);
  ASSERT_NE(state.registry, nullptr);
  EXPECT_EQ(state.registry->accessMask(), 0xF013Fu);
  EXPECT_EQ(state.registry->root(), RegistryRoot::CurrentUser);
  EXPECT_FALSE(state.registry->hasCurrentKey());
}

TEST_F(StartupTest, A32BitSystemGetsKeyAllAccessAlone) {
  world.registry.wow64 = false;
  world.system.architecture = 0;
  start();
  EXPECT_FALSE(state.is64Bit);
  EXPECT_EQ(state.registry->accessMask(), 0xF003Fu);
}

TEST_F(StartupTest, AnUnknownSystemGetsKeyAllAccessAlone) {
  world.system.extendedRecord.reset();
  world.system.basicRecord.reset();
  start();
  EXPECT_FALSE(state.is64Bit);
  EXPECT_EQ(state.registry->accessMask(), 0xF003Fu);
}

TEST_F(StartupTest, TheRegistryObjectThenReadsTheViewThatMatchesTheSystem) {
  constexpr const char* kKey = "SOFTWARE\\Tarvel\\Probe";
  world.registry.setString(RegistryRoot::LocalMachine, kKey, "View", "64");
  world.registry.setString(RegistryRoot::LocalMachine, "SOFTWARE\\WOW6432Node\\Tarvel\\Probe", "View", "32");

  start();
  state.registry->setRoot(RegistryRoot::LocalMachine);
  ASSERT_TRUE(state.registry->openKey(kKey, false));
  EXPECT_EQ(state.registry->readString("View").text, "64");
  state.registry->closeKey();

  // XP x64 is not named " 64": the process stays in the 32-bit view.
  StartupState xp;
  world.system.extendedRecord = platform::VersionRecord{5, 2, 3790, 2, "Service Pack 2", 0x0100, 1};
  InitStartupSettings(platform, xp, CommandLineArguments(ownCommandLine));
  xp.registry->setRoot(RegistryRoot::LocalMachine);
  ASSERT_TRUE(xp.registry->openKey(kKey, false));
  EXPECT_EQ(xp.registry->readString("View").text, "32");
}

struct ArgumentRow {
  const char* commandLine;
  const char* startArgument;
  const char* finishArgument = "";
};

class StartArgument : public ::testing::TestWithParam<ArgumentRow> {};

TEST_P(StartArgument, ArgumentsOneAndTwoAreLowerCasedInAscii) {
  fake::FakeWorld world;
  platform::Platform platform = world.platform();
  StartupState state;
  InitStartupSettings(platform, state, CommandLineArguments(GetParam().commandLine));
  EXPECT_EQ(state.settings.startArgument, GetParam().startArgument);
  EXPECT_EQ(state.settings.finishArgument, GetParam().finishArgument);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StartArgument,
    ::testing::Values(ArgumentRow{"\"C:\\Downloads\\nimbra-pack-update.exe\" MODEST", "modest"},
                      ArgumentRow{"\"C:\\Downloads\\nimbra-pack-update.exe\"", ""},
                      ArgumentRow{"nimbra-pack-update.exe", ""},
                      ArgumentRow{"C:\\u.exe  \"MoDeSt\" RUNAPP", "modest", "runapp"},
                      ArgumentRow{"\"C:\\Program Files\\u.exe\" \"Modest Run\"", "modest run"},
                      ArgumentRow{"u.exe modest \"Run\"App x", "modest", "runapp"},
                      // 0xCC is Windows-1251 'М': not an ASCII letter, so it stays.
                      ArgumentRow{"u.exe \xCCODEST", "\xCC" "odest"},
                      ArgumentRow{"u.exe\tmodest\x01", "modest"}));

TEST_F(StartupTest, FieldsThatLaterPartsFillKeepTheirInitialValues) {
  start();
  EXPECT_EQ(state.settings.productKey, "");
  EXPECT_EQ(state.settings.messageLanguageId, -1);
  EXPECT_TRUE(state.settings.isAdministrator);
  EXPECT_EQ(state.settings.installationFolder, "");
}

TEST_F(StartupTest, ReleaseClosesTheOpenKeyAndClearsTheTexts) {
  ownCommandLine = "u.exe modest runapp";
  start();
  state.settings.productKey = "Nimbra";
  state.settings.programTitle = "Nimbra";
  state.settings.englishTitle = "Nimbra";
  state.settings.packVersionText = "6";
  state.settings.installationFolder = "C:\\Nimbra\\";
  state.settings.uninstallKeyPrefix = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
  ASSERT_TRUE(state.registry->openKey("Software\\Tarvel\\Nimbra", true));
  ASSERT_EQ(world.registry.openKeys(), 1);

  ReleaseStartupSettings(state);

  EXPECT_EQ(state.registry, nullptr);
  EXPECT_EQ(world.registry.openKeys(), 0);
  const Settings& s = state.settings;
  for (const std::string* text : {&s.productKey, &s.programTitle, &s.englishTitle, &s.packVersionText,
                                  &s.installationFolder, &s.uninstallKeyPrefix, &s.startArgument,
                                  &s.finishArgument})
    EXPECT_EQ(*text, "");
}

TEST_F(StartupTest, StartUpOnWindows10LeavesNoKeyOpenTouchesNoFileAndRunsNoChild) {
  world.system.extendedRecord = platform::VersionRecord{6, 2, 9200, 2, "", 0x0100, 1};
  world.registry.setString(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                           "ProductName", "Windows 10 Pro");
  start();
  EXPECT_TRUE(state.is64Bit);
  EXPECT_EQ(world.registry.openKeys(), 0);
  EXPECT_TRUE(world.files.log().empty());
  EXPECT_TRUE(world.processes.children.empty());
  EXPECT_TRUE(world.boxes.shown.empty());
}

}  // namespace
}  // namespace nimbra
