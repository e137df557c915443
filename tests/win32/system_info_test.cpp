// Facts of the system and the process as this Wine prefix reports them.
#include <gtest/gtest.h>

#include <windows.h>
// windows.h first: shlobj.h relies on its types.
#include <shlobj.h>

#include <string>

#include "platform/codes.h"
#include "platform/win32/win32_system_info.h"
#include "test_support.h"

namespace nimbra::win32 {
namespace {

TEST(SystemInfo, ExtendedVersionRecordOfTheDefaultPrefixIsWindows7Sp1Workstation) {
  Win32SystemInfo system;
  const auto record = system.versionRecord(true);
  ASSERT_TRUE(record);
  EXPECT_EQ(record->major, 6u);
  EXPECT_EQ(record->minor, 1u);
  EXPECT_EQ(record->build, 7601u);
  EXPECT_EQ(record->platformId, win::kPlatformWin32Nt);
  EXPECT_EQ(record->servicePack, "Service Pack 1");
  EXPECT_EQ(record->productType, win::kNtWorkstation);
}

TEST(SystemInfo, BasicVersionRecordHasNoSuiteMaskOrProductType) {
  Win32SystemInfo system;
  const auto record = system.versionRecord(false);
  ASSERT_TRUE(record);
  EXPECT_EQ(record->major, 6u);
  EXPECT_EQ(record->minor, 1u);
  EXPECT_EQ(record->servicePack, "Service Pack 1");
  EXPECT_EQ(record->suiteMask, 0u);
  EXPECT_EQ(record->productType, 0u);
}

TEST(SystemInfo, NativeArchitectureIsX64ThoughThisProcessRunsAsX86) {
  Win32SystemInfo system;
  EXPECT_EQ(system.processorArchitecture(), win::kArchitectureAmd64);
  // What GetSystemInfo alone would have said: the reason for the native call.
  SYSTEM_INFO emulated{};
  ::GetSystemInfo(&emulated);
  EXPECT_EQ(emulated.wProcessorArchitecture, win::kArchitectureIntel);
}

TEST(SystemInfo, EditionMetricsAreClearOnThisPrefix) {
  Win32SystemInfo system;
  for (const int metric : {win::kSmTabletPc, win::kSmMediaCenter, win::kSmStarter, win::kSmServerR2})
    EXPECT_EQ(system.systemMetric(metric), 0) << metric;
  EXPECT_GT(system.systemMetric(SM_CXSCREEN), 0);
}

TEST(SystemInfo, SystemDirectoryHoldsTheCommandInterpreter) {
  const std::string folder = Win32SystemInfo().systemDirectory();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), '\\');
  EXPECT_NE(::GetFileAttributesA((folder + "\\cmd.exe").c_str()), INVALID_FILE_ATTRIBUTES) << folder;
}

// Wine gives every process a full, elevated token.
TEST(SystemInfo, UserIsAnAdministratorUnderWineAsShell32SaysAndElevated) {
  Win32SystemInfo system;
  EXPECT_TRUE(system.isUserAnAdmin());
  EXPECT_EQ(system.isUserAnAdmin(), ::IsUserAnAdmin() != FALSE);
  EXPECT_TRUE(system.processIsElevated());
}

// The record as a child run under an AppDefaults version reports it. The child is
// a copy of this executable under its own name, so that no other test sees the
// setting.
class VersionUnderAppDefaultsTest : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(VersionUnderAppDefaultsTest, ChildReportsTheConfiguredVersion) {
  const auto& [version, expected] = GetParam();
  const std::string folder = testing::freshScratchFolder();
  const std::string exeName = std::string("nimbra-version-") + version + ".exe";
  ASSERT_TRUE(::CopyFileA(testing::ownExecutablePath().c_str(), (folder + exeName).c_str(), FALSE));
  const std::string appDefaults = "Software\\Wine\\AppDefaults\\" + exeName;
  testing::setRawValue(HKEY_CURRENT_USER, appDefaults, 0, "Version", REG_SZ,
                       std::string(version) + '\0');
  const std::string report = folder + "version.txt";
  EXPECT_EQ(testing::runAndWait(testing::inQuotes(folder + exeName) + " --write-version " +
                                testing::inQuotes(report)),
            0);
  ::RegDeleteTreeA(HKEY_CURRENT_USER, appDefaults.c_str());
  EXPECT_EQ(testing::readWholeFile(report), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, VersionUnderAppDefaultsTest,
    ::testing::Values(std::pair{"winxp", "5.1.2600 2 1|Service Pack 3"},
                      std::pair{"win2003", "5.2.3790 2 3|Service Pack 2"},
                      std::pair{"vista", "6.0.6002 2 1|Service Pack 2"},
                      // No compatibility manifest: Windows 10 says 6.2, as real Windows does.
                      std::pair{"win10", "6.2.9200 2 1|"}),
    [](const auto& instance) { return std::string(instance.param.first); });

TEST(SystemInfo, CryptographicRandomSourceAnswersWithFreshBits) {
  Win32SystemInfo system;
  const auto first = system.cryptoRandom(), second = system.cryptoRandom();
  ASSERT_TRUE(first && second);
  EXPECT_NE(*first, *second);  // equal once in 2^32 runs
}

TEST(SystemInfo, AnsiTextBecomesUtf8) {
  Win32SystemInfo system;  // code page 1252 in this prefix's English locale
  EXPECT_EQ(system.utf8Of(platform::BoxText("Caf\xE9 \x80", platform::kSystemCodePage)), "Caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(system.utf8Of(platform::BoxText("\xCC\xE8\xF0", 1251)), "\xD0\x9C\xD0\xB8\xD1\x80");
  EXPECT_EQ(system.utf8Of(platform::BoxText()), "");
}

}  // namespace
}  // namespace nimbra::win32
