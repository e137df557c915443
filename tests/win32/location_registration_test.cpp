// RecordInstallationSize under Wine: "EstimatedSize" lands in the native
// (64-bit) uninstall entry, where a 64-bit reader finds it.
#include <gtest/gtest.h>

#include <string>

#include "host/uninstall_registration.h"
#include "location_support.h"
#include "platform/codes.h"
#include "platform/win32/handles.h"
#include "platform/win32/win32_platform.h"
#include "test_support.h"

namespace nimbra::win32 {
namespace {

using testing::kUninstallPrefix;
using testing::kWowUninstallPrefix;

class LocationRegistrationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    productKey_ = testing::productKeyForTest();
    removeEntries();
    settings_.productKey = productKey_;
    settings_.uninstallKeyPrefix = kUninstallPrefix;
    settings_.installationFolder = testing::freshScratchFolder();
    testing::writeWholeFile(settings_.installationFolder + "nimbra.exe", std::string(3000, 'x'));
    testing::writeWholeFile(settings_.installationFolder + "dwix.cok", std::string(2000, 'y'));
  }
  void TearDown() override { removeEntries(); }

  void removeEntries() {
    testing::deleteUninstallEntry(kUninstallPrefix, productKey_);
    testing::deleteUninstallEntry(kWowUninstallPrefix, productKey_);
  }

  bool record() {
    platform::Platform platform = real_.platform();
    SharedRegistry registry(platform.registry, win::kKeyAllAccess | win::kKeyWow64_64Key);
    auto folder = platform.files.openFolder(settings_.installationFolder).folder;
    const bool written = folder && RecordInstallationSize(platform, settings_, registry, *folder).written.has_value();
    EXPECT_FALSE(registry.hasCurrentKey());
    return written;
  }

  std::string entry() const { return kUninstallPrefix + productKey_; }

  Win32Platform real_;
  Settings settings_;
  std::string productKey_;
};

TEST_F(LocationRegistrationTest, EstimatedSizeIsADwordInThe64BitView) {
  ASSERT_TRUE(record());
  const auto value = testing::readMachineValue(entry(), KEY_WOW64_64KEY, "EstimatedSize");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(value->data, std::string("\x04\0\0\0", 4));
  EXPECT_FALSE(testing::readMachineValue(entry(), KEY_WOW64_32KEY, "EstimatedSize"));
}

TEST_F(LocationRegistrationTest, The64BitRegToolFindsTheSize) {
  ASSERT_TRUE(record());
  // From a 32-bit process, sysnative names the 64-bit system folder.
  const std::string output =
      testing::runCapturingOutput("C:\\windows\\sysnative\\reg.exe query HKLM\\" + entry() + " /v EstimatedSize");
  EXPECT_NE(output.find("EstimatedSize"), std::string::npos) << output;
  EXPECT_NE(output.find("REG_DWORD"), std::string::npos) << output;
  EXPECT_NE(output.find("0x4"), std::string::npos) << output;
}

TEST_F(LocationRegistrationTest, EntryOfA32BitInstallerGetsANativeTwinHoldingOnlyTheSize) {
  testing::setMachineString(entry(), KEY_WOW64_32KEY, "UninstallString", settings_.installationFolder + "uninst.exe");
  ASSERT_TRUE(record());
  EXPECT_TRUE(testing::readMachineValue(entry(), KEY_WOW64_64KEY, "EstimatedSize"));
  EXPECT_FALSE(testing::readMachineValue(entry(), KEY_WOW64_64KEY, "UninstallString"));
  EXPECT_FALSE(testing::readMachineValue(kWowUninstallPrefix + productKey_, KEY_WOW64_64KEY, "EstimatedSize"));
  EXPECT_TRUE(testing::readMachineValue(kWowUninstallPrefix + productKey_, KEY_WOW64_64KEY, "UninstallString"));
}

}  // namespace
}  // namespace nimbra::win32
