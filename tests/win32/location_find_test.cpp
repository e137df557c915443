// FindInstallLocations against the real registry of this WoW64 prefix: the
// 64-bit view is the native one, and its "ProgramFilesDir" roots the default.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/install_location.h"
#include "host/startup_settings.h"
#include "location_support.h"
#include "platform/codes.h"
#include "platform/win32/win32_platform.h"
#include "test_support.h"
#include "box_robot.h"

namespace nimbra::win32 {
namespace {

using testing::kUninstallPrefix;
using testing::kWowUninstallPrefix;

constexpr const char* kSystemKey = "Software\\Microsoft\\Windows\\CurrentVersion";

std::string programFilesDir(REGSAM view) {
  auto value = testing::readMachineValue(kSystemKey, view, "ProgramFilesDir");
  return value ? registryStringText(value->data) : "<absent>";
}

class LocationFindTest : public ::testing::Test {
 protected:
  void SetUp() override {
    productKey_ = testing::productKeyForTest();
    removeEntries();
    settings_.productKey = productKey_;
    settings_.englishTitle = "Nimbra update";
  }
  void TearDown() override { removeEntries(); }

  void removeEntries() {
    testing::deleteUninstallEntry(kUninstallPrefix, productKey_);
    testing::deleteUninstallEntry(kWowUninstallPrefix, productKey_);
  }

  bool find(Settings& settings, SharedRegistry& registry) {
    // A box where none is expected is read and dismissed instead of blocking the test.
    tools::BackgroundRobot robot(::GetCurrentProcessId(), {});
    platform::Platform platform = real_.platform();
    const bool result = FindInstallLocations(platform, settings, registry);
    for (const auto& record : robot.stop()) ADD_FAILURE() << "unexpected box: " << record.box.text;
    EXPECT_FALSE(registry.hasCurrentKey());
    return result;
  }

  bool find(std::uint32_t accessMask) {
    SharedRegistry registry(real_.platform().registry, accessMask);
    return find(settings_, registry);
  }

  Win32Platform real_;
  Settings settings_;
  std::string productKey_;
};

constexpr std::uint32_t k64BitMask = win::kKeyAllAccess | win::kKeyWow64_64Key;

TEST_F(LocationFindTest, ThePrefixHasDifferentProgramFilesFoldersInItsTwoViews) {
  EXPECT_EQ(programFilesDir(KEY_WOW64_64KEY), "C:\\Program Files");
  EXPECT_EQ(programFilesDir(KEY_WOW64_32KEY), "C:\\Program Files (x86)");
}

TEST_F(LocationFindTest, WithoutAnEntryTheFolderIsThe64BitProgramFilesPlusTheProductKey) {
  ASSERT_TRUE(find(k64BitMask));
  EXPECT_EQ(settings_.installationFolder, programFilesDir(KEY_WOW64_64KEY) + "\\" + productKey_ + "\\");
  EXPECT_EQ(settings_.uninstallKeyPrefix, kUninstallPrefix);
  EXPECT_TRUE(settings_.isAdministrator);  // IsUserAnAdmin is 1 under Wine
}

TEST_F(LocationFindTest, StartUpOnThisPrefixPicksThe64BitViewForTheLocation) {
  StartupState state;
  platform::Platform platform = real_.platform();
  InitStartupSettings(platform, state, CommandLineArguments(platform.system.commandLine()));
  ASSERT_TRUE(state.is64Bit);
  ASSERT_NE(state.registry, nullptr);
  EXPECT_EQ(state.registry->accessMask(), k64BitMask);
  state.settings.productKey = productKey_;
  state.settings.englishTitle = "Nimbra update";
  ASSERT_TRUE(find(state.settings, *state.registry));
  EXPECT_EQ(state.settings.installationFolder, "C:\\Program Files\\" + productKey_ + "\\");
  ReleaseStartupSettings(state);
}

TEST_F(LocationFindTest, ThirtyTwoBitViewSeesTheRedirectedProgramFilesDir) {
  ASSERT_TRUE(find(win::kKeyAllAccess));
  EXPECT_EQ(settings_.installationFolder, programFilesDir(KEY_WOW64_32KEY) + "\\" + productKey_ + "\\");
}

TEST_F(LocationFindTest, NativeEntryWinsOverItsWow6432NodeTwin) {
  testing::setMachineString(kUninstallPrefix + productKey_, KEY_WOW64_64KEY, "UninstallString",
                            "\"C:\\Apps\\Nimbra 64\\uninst.exe\" /S");
  testing::setMachineString(kUninstallPrefix + productKey_, KEY_WOW64_32KEY, "UninstallString",
                            "C:\\Apps\\Nimbra 32\\uninst.exe");
  ASSERT_TRUE(find(k64BitMask));
  EXPECT_EQ(settings_.installationFolder, "C:\\Apps\\Nimbra 64\\");
}

// A 32-bit installer of Nimbra writes its entry through the redirected view;
// the 64-bit view reaches it only by the explicit WOW6432Node path.
TEST_F(LocationFindTest, EntryWrittenByA32BitInstallerIsFoundUnderWow6432Node) {
  testing::setMachineString(kUninstallPrefix + productKey_, KEY_WOW64_32KEY, "UninstallString",
                            "C:\\Apps\\Nimbra 32\\uninst.exe");
  ASSERT_TRUE(testing::readMachineValue(kWowUninstallPrefix + productKey_, KEY_WOW64_64KEY, "UninstallString"));
  ASSERT_TRUE(find(k64BitMask));
  EXPECT_EQ(settings_.installationFolder, "C:\\Apps\\Nimbra 32\\");
}

TEST_F(LocationFindTest, NonStringUninstallStringLeavesTheDefault) {
  testing::setRawValue(HKEY_LOCAL_MACHINE, kUninstallPrefix + productKey_, KEY_WOW64_64KEY, "UninstallString",
                       REG_BINARY, "C:\\Apps\\x.exe");
  ASSERT_TRUE(find(k64BitMask));
  EXPECT_EQ(settings_.installationFolder, "C:\\Program Files\\" + productKey_ + "\\");
}

}  // namespace
}  // namespace nimbra::win32
