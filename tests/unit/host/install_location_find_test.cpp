// FindInstallLocations on the fake world: which view and which value decide
// the installation folder, the registry access test, and that no key stays open.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake/fake_world.h"
#include "host/install_location.h"
#include "platform/codes.h"

namespace nimbra {
namespace {

using fake::BoxRecord;
using fake::Call;
using platform::RegistryRoot;

// Native 64-bit paths, as the fake registry stores them.
constexpr const char* kSystemKey = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kEntry = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Nimbra";
constexpr const char* kWowEntry = "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Nimbra";
constexpr const char* kWowSystemKey = "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion";

constexpr std::uint32_t k64BitMask = win::kKeyAllAccess | win::kKeyWow64_64Key;

class FindInstallLocationsTest : public ::testing::Test {
 protected:
  FindInstallLocationsTest() {
    settings.productKey = "Nimbra";
    settings.programTitle = "Обновление программы \"Нимбра\"";
    settings.englishTitle = "Nimbra update";
    // A user profile as Windows keeps it.
    world.registry.setString(RegistryRoot::CurrentUser, kShellFolders, "Programs", "C:\\Users\\u\\Start Menu\\Programs");
    world.registry.setString(RegistryRoot::CurrentUser, kShellFolders, "Desktop", "C:\\Users\\u\\Desktop");
    world.registry.setString(RegistryRoot::CurrentUser, kShellFolders, "Startup", "C:\\Users\\u\\Startup");
  }

  bool find(std::uint32_t accessMask = k64BitMask) {
    SharedRegistry registry(world.registry, accessMask);
    platform::Platform platform = world.platform();
    bool result = FindInstallLocations(platform, settings, registry);
    EXPECT_FALSE(registry.hasCurrentKey());
    EXPECT_EQ(world.registry.openKeys(), 0);
    return result;
  }

  void setMachineString(const char* path, const char* name, const char* text) {
    world.registry.setString(RegistryRoot::LocalMachine, path, name, text);
  }

  fake::FakeWorld world;
  Settings settings;
};

TEST_F(FindInstallLocationsTest, WithoutAnEntryTheFolderIsProgramFilesPlusTheProductKey) {
  setMachineString(kSystemKey, "ProgramFilesDir", "C:\\Program Files");
  EXPECT_TRUE(find());
  EXPECT_EQ(settings.installationFolder, "C:\\Program Files\\Nimbra\\");
  EXPECT_EQ(settings.uninstallKeyPrefix, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\");
  EXPECT_TRUE(world.boxes.shown.empty());
}

TEST_F(FindInstallLocationsTest, ProgramFilesDirEndingWithABackslashGetsNoSecondOne) {
  setMachineString(kSystemKey, "ProgramFilesDir", "D:\\Programs\\");
  EXPECT_TRUE(find());
  EXPECT_EQ(settings.installationFolder, "D:\\Programs\\Nimbra\\");
}

TEST_F(FindInstallLocationsTest, WithoutEntryOrProgramFilesDirTheFolderIsTheRelativeProductKey) {
  EXPECT_TRUE(find());
  EXPECT_EQ(settings.installationFolder, "Nimbra\\");
}

TEST_F(FindInstallLocationsTest, NativeEntryGivesTheFolderOfItsUninstallString) {
  setMachineString(kSystemKey, "ProgramFilesDir", "C:\\Program Files");
  setMachineString(kEntry, "UninstallString", "C:\\Apps\\Nimbra\\uninst.exe");
  EXPECT_TRUE(find());
  EXPECT_EQ(settings.installationFolder, "C:\\Apps\\Nimbra\\");
}

TEST_F(FindInstallLocationsTest, NativeEntryWinsOverTheWow6432NodeEntry) {
  setMachineString(kEntry, "UninstallString", "C:\\Apps\\Nimbra\\uninst.exe");
  setMachineString(kWowEntry, "UninstallString", "C:\\Old\\Nimbra\\uninst.exe");
  EXPECT_TRUE(find());
  EXPECT_EQ(settings.installationFolder, "C:\\Apps\\Nimbra\\");
}

TEST_F(FindInstallLocationsTest, EntryOnlyUnderWow6432NodeGivesTheFolder) {
  setMachineString(kSystemKey, "ProgramFilesDir", "C:\\Program Files");
  setMachineString(kWowEntry, "UninstallString", "C:\\Program Files (x86)\\Nimbra\\uninst.exe");
  EXPECT_TRUE(find());
  EXPECT_EQ(settings.installationFolder, "C:\\Program Files (x86)\\Nimbra\\");
}

TEST_F(FindInstallLocationsTest, QuotedUninstallStringWithArgumentsGivesAUsableFolder) {
  setMachineString(kEntry, "UninstallString", "\"C:\\Program Files\\Nimbra\\uninst.exe\" /uninstall");
  EXPECT_TRUE(find());
  EXPECT_EQ(settings.installationFolder, "C:\\Program Files\\Nimbra\\");
}

TEST_F(FindInstallLocationsTest, UninstallStringEndingWithABackslashGivesItsParent) {
  setMachineString(kEntry, "UninstallString", "C:\\Apps\\Nimbra\\");
  EXPECT_TRUE(find());
  EXPECT_EQ(settings.installationFolder, "C:\\Apps\\");
}

TEST_F(FindInstallLocationsTest, UninstallStringWithoutACutPointLeavesTheDefault) {
  setMachineString(kSystemKey, "ProgramFilesDir", "C:\\Program Files");
  setMachineString(kEntry, "UninstallString", "uninst.exe");
  EXPECT_TRUE(find());
  EXPECT_EQ(settings.installationFolder, "C:\\Program Files\\Nimbra\\");
}

TEST_F(FindInstallLocationsTest, EmptyUninstallStringLeavesTheDefault) {
  setMachineString(kSystemKey, "ProgramFilesDir", "C:\\Program Files");
  setMachineString(kEntry, "UninstallString", "");
  EXPECT_TRUE(find());
  EXPECT_EQ(settings.installationFolder, "C:\\Program Files\\Nimbra\\");
}

TEST_F(FindInstallLocationsTest, UnusableNativeUninstallStringLetsTheWow6432NodeEntrySpeak) {
  setMachineString(kEntry, "UninstallString", "uninst.exe");
  setMachineString(kWowEntry, "UninstallString", "C:\\Apps32\\Nimbra\\uninst.exe");
  EXPECT_TRUE(find());
  EXPECT_EQ(settings.installationFolder, "C:\\Apps32\\Nimbra\\");
}

// A value planted with megabytes of text is never read, let alone used.
TEST_F(FindInstallLocationsTest, UninstallStringBeyondTheValueLimitCountsAsAbsent) {
  setMachineString(kSystemKey, "ProgramFilesDir", "C:\\Program Files");
  const std::string planted = "C:\\" + std::string(platform::kRegistryValueLimit, 'a') + "\\u.exe";
  setMachineString(kEntry, "UninstallString", planted.c_str());
  EXPECT_TRUE(find());
  EXPECT_EQ(settings.installationFolder, "C:\\Program Files\\Nimbra\\");
}

TEST_F(FindInstallLocationsTest, NonStringProgramFilesDirCountsAsAbsent) {
  world.registry.setDword(RegistryRoot::LocalMachine, kSystemKey, "ProgramFilesDir", 7);
  EXPECT_TRUE(find());
  EXPECT_EQ(settings.installationFolder, "Nimbra\\");
  EXPECT_TRUE(world.boxes.shown.empty());
}

TEST_F(FindInstallLocationsTest, NonStringUninstallStringCountsAsAbsent) {
  setMachineString(kSystemKey, "ProgramFilesDir", "C:\\Program Files");
  world.registry.setValue(RegistryRoot::LocalMachine, kEntry, "UninstallString",
                          {win::kRegBinary, std::string("C:\\Apps\\Nimbra\\u.exe")});
  world.registry.setDword(RegistryRoot::LocalMachine, kWowEntry, "UninstallString", 1);
  EXPECT_TRUE(find());
  EXPECT_EQ(settings.installationFolder, "C:\\Program Files\\Nimbra\\");
  EXPECT_TRUE(world.boxes.shown.empty());
}

TEST_F(FindInstallLocationsTest, UninstallStringIsUsedUnexpanded) {
  world.registry.setString(RegistryRoot::LocalMachine, kEntry, "UninstallString",
                           "%ProgramFiles%\\Nimbra\\uninst.exe", win::kRegExpandSz);
  EXPECT_TRUE(find());
  EXPECT_EQ(settings.installationFolder, "%ProgramFiles%\\Nimbra\\");
}

TEST_F(FindInstallLocationsTest, KeysAreReadInOrderInTheSharedRegistrysView) {
  setMachineString(kEntry, "UninstallString", "uninst.exe");
  EXPECT_TRUE(find());
  const std::vector<std::string> expected = {
      "open hklm\\software\\microsoft\\windows\\currentversion 0xF013F",
      "open hkcu\\software\\microsoft\\windows\\currentversion\\explorer\\shell folders 0xF013F",
      "open hklm\\software\\microsoft\\windows\\currentversion\\uninstall\\nimbra 0xF013F",
      "open hklm\\software\\wow6432node\\microsoft\\windows\\currentversion\\uninstall\\nimbra 0xF013F",
  };
  EXPECT_EQ(world.registry.log(), expected);
}

TEST_F(FindInstallLocationsTest, Wow6432NodeIsNotAskedWhenTheNativeEntryGivesAFolder) {
  setMachineString(kEntry, "UninstallString", "C:\\Apps\\Nimbra\\uninst.exe");
  EXPECT_TRUE(find());
  for (const std::string& line : world.registry.log()) EXPECT_EQ(line.find("wow6432node"), std::string::npos) << line;
}

TEST_F(FindInstallLocationsTest, WithoutThe64BitFlagAWow64ProgramSeesThe32BitView) {
  setMachineString(kSystemKey, "ProgramFilesDir", "C:\\Program Files");
  setMachineString(kWowSystemKey, "ProgramFilesDir", "C:\\Program Files (x86)");
  EXPECT_TRUE(find(win::kKeyAllAccess));
  EXPECT_EQ(settings.installationFolder, "C:\\Program Files (x86)\\Nimbra\\");
}

TEST_F(FindInstallLocationsTest, On32BitWindowsThePlainEntryIsFoundAndTheTwinIsStillAsked) {
  world.registry.wow64 = false;
  setMachineString(kSystemKey, "ProgramFilesDir", "C:\\Program Files");
  EXPECT_TRUE(find(win::kKeyAllAccess));
  EXPECT_EQ(settings.installationFolder, "C:\\Program Files\\Nimbra\\");
  EXPECT_EQ(world.registry.log().back(),
            "open hklm\\software\\wow6432node\\microsoft\\windows\\currentversion\\uninstall\\nimbra 0xF003F");

  setMachineString(kEntry, "UninstallString", "C:\\Nimbra\\uninst.exe");
  EXPECT_TRUE(find(win::kKeyAllAccess));
  EXPECT_EQ(settings.installationFolder, "C:\\Nimbra\\");
}

TEST_F(FindInstallLocationsTest, AdministratorFlagComesFromIsUserAnAdmin) {
  world.system.administrator = false;
  EXPECT_TRUE(find());
  EXPECT_FALSE(settings.isAdministrator);
  world.system.administrator = true;
  EXPECT_TRUE(find());
  EXPECT_TRUE(settings.isAdministrator);
}

TEST_F(FindInstallLocationsTest, BinaryStartupValueShowsNoAccessToSystemRegistryInEnglish) {
  setMachineString(kEntry, "UninstallString", "C:\\Apps\\Nimbra\\uninst.exe");
  world.registry.setValue(RegistryRoot::CurrentUser, kShellFolders, "Startup", {win::kRegBinary, "C:\\x"});
  world.system.administrator = false;
  EXPECT_FALSE(find());
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  const BoxRecord& box = world.boxes.shown[0];
  EXPECT_EQ(box.function, BoxRecord::Function::MessageBoxW);
  EXPECT_EQ(box.caption, "Nimbra update");
  EXPECT_EQ(box.text, "No access to system registry");
  EXPECT_EQ(box.style, 0x200010u);
  // Set before the test; the rest of the routine is not done.
  EXPECT_FALSE(settings.isAdministrator);
  EXPECT_EQ(settings.uninstallKeyPrefix, "");
  EXPECT_EQ(settings.installationFolder, "");
  EXPECT_EQ(world.registry.log().size(), 2u);
}

TEST_F(FindInstallLocationsTest, BinaryStartupValueShowsTheRussianTextUnderCyrillicUi) {
  settings.cyrillicUi = true;
  world.registry.setValue(RegistryRoot::CurrentUser, kShellFolders, "Startup", {win::kRegBinary, "\x01\x02"});
  EXPECT_FALSE(find());
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  const BoxRecord& box = world.boxes.shown[0];
  EXPECT_EQ(box.function, BoxRecord::Function::MessageBoxExW);
  EXPECT_EQ(box.caption, "Обновление программы \"Нимбра\"");
  EXPECT_EQ(box.text, "\xCD\xE5\xF2 \xE4\xEE\xF1\xF2\xF3\xEF\xE0 \xEA \xF1\xE8\xF1\xF2\xE5\xEC\xED\xEE\xEC\xF3 "
                      "\xF0\xE5\xE5\xF1\xF2\xF0\xF3");
  EXPECT_EQ(box.language, 25);
}

TEST_F(FindInstallLocationsTest, AnyNonStringShellFolderFailsTheAccessTest) {
  for (const char* name : {"Programs", "Desktop"}) {
    world.registry.setDword(RegistryRoot::CurrentUser, kShellFolders, name, 1);
    EXPECT_FALSE(find()) << name;
    world.registry.setString(RegistryRoot::CurrentUser, kShellFolders, name, "C:\\x");
  }
  EXPECT_EQ(world.boxes.shown.size(), 2u);
}

TEST(FindInstallLocationsShellFolders, MissingKeyOrValuesAreNoError) {
  fake::FakeWorld world;
  Settings settings;
  settings.productKey = "Nimbra";
  SharedRegistry registry(world.registry, k64BitMask);
  platform::Platform platform = world.platform();
  EXPECT_TRUE(FindInstallLocations(platform, settings, registry));
  world.registry.createKeyPath(RegistryRoot::CurrentUser, kShellFolders);
  EXPECT_TRUE(FindInstallLocations(platform, settings, registry));
  EXPECT_EQ(settings.installationFolder, "Nimbra\\");
  EXPECT_TRUE(world.boxes.shown.empty());
}

TEST_F(FindInstallLocationsTest, ExpandableShellFolderPassesTheAccessTest) {
  world.registry.setString(RegistryRoot::CurrentUser, kShellFolders, "Desktop", "%USERPROFILE%\\Desktop",
                           win::kRegExpandSz);
  EXPECT_TRUE(find());
}

TEST_F(FindInstallLocationsTest, KeysThatCannotBeOpenedAreNoError) {
  setMachineString(kSystemKey, "ProgramFilesDir", "C:\\Program Files");
  setMachineString(kEntry, "UninstallString", "C:\\Apps\\Nimbra\\uninst.exe");
  world.registry.setValue(RegistryRoot::CurrentUser, kShellFolders, "Startup", {win::kRegBinary, "x"});
  world.faults.failAlways(Call::RegistryOpen, win::kErrorAccessDenied);
  EXPECT_TRUE(find());
  EXPECT_EQ(settings.installationFolder, "Nimbra\\");
  EXPECT_TRUE(world.boxes.shown.empty());
}

TEST_F(FindInstallLocationsTest, DeniedNativeEntryFallsBackToTheWow6432NodeEntry) {
  setMachineString(kEntry, "UninstallString", "C:\\Apps\\Nimbra\\uninst.exe");
  setMachineString(kWowEntry, "UninstallString", "C:\\Apps32\\Nimbra\\uninst.exe");
  world.registry.denyKey(RegistryRoot::LocalMachine, kEntry);
  EXPECT_TRUE(find());
  EXPECT_EQ(settings.installationFolder, "C:\\Apps32\\Nimbra\\");
}

TEST_F(FindInstallLocationsTest, FailedValueReadCountsAsAbsent) {
  setMachineString(kSystemKey, "ProgramFilesDir", "C:\\Program Files");
  world.faults.failNext(Call::RegistryQuery);
  EXPECT_TRUE(find());
  EXPECT_EQ(settings.installationFolder, "Nimbra\\");
}

}  // namespace
}  // namespace nimbra
