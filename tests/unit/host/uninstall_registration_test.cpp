// RecordInstallationSize on the fake world: "EstimatedSize" in the native
// uninstall entry, created when absent, nothing written for a missing folder.
#include "host/uninstall_registration.h"

#include <gtest/gtest.h>

#include <string>

#include "fake/fake_world.h"
#include "platform/codes.h"

namespace nimbra {
namespace {

using fake::Call;
using platform::RegistryRoot;

constexpr const char* kEntry = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Nimbra";
constexpr const char* kWowEntry = "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Nimbra";

class Registration : public ::testing::Test {
 protected:
  Registration() {
    settings.productKey = "Nimbra";
    settings.uninstallKeyPrefix = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    settings.installationFolder = "C:\\Apps\\Nimbra\\";
    world.files.addFile("C:\\Apps\\Nimbra\\nimbra.exe", std::string(3000, 'x'));
    world.files.addFile("C:\\Apps\\Nimbra\\dwix.cok", std::string(2000, 'y'));
  }

  bool record(std::uint32_t accessMask = win::kKeyAllAccess | win::kKeyWow64_64Key) {
    SharedRegistry registry(world.registry, accessMask);
    platform::Platform platform = world.platform();
    auto folder = world.files.openFolder("C:\\Apps\\Nimbra\\").folder;
    bool written = RecordInstallationSize(platform, settings, registry, *folder).written.has_value();
    EXPECT_FALSE(registry.hasCurrentKey());
    EXPECT_EQ(world.registry.openKeys(), 0);
    return written;
  }

  std::optional<std::uint32_t> estimatedSize(const char* path = kEntry) const {
    return world.registry.dword(RegistryRoot::LocalMachine, path, "EstimatedSize");
  }

  fake::FakeWorld world;
  Settings settings;
};

TEST_F(Registration, WritesTheFolderSizeInKibIntoTheExistingEntry) {
  world.registry.setString(RegistryRoot::LocalMachine, kEntry, "UninstallString", "C:\\Apps\\Nimbra\\uninst.exe");
  world.registry.setString(RegistryRoot::LocalMachine, kEntry, "DisplayName", "Nimbra");
  EXPECT_TRUE(record());
  EXPECT_EQ(estimatedSize(), 4u);
  auto uninstall = world.registry.value(RegistryRoot::LocalMachine, kEntry, "UninstallString");
  ASSERT_TRUE(uninstall);
  EXPECT_EQ(uninstall->data, std::string("C:\\Apps\\Nimbra\\uninst.exe") + '\0');
  EXPECT_EQ(world.registry.valueCount(RegistryRoot::LocalMachine, kEntry), 3u);
}

TEST_F(Registration, ReplacesAnEarlierSize) {
  world.registry.setDword(RegistryRoot::LocalMachine, kEntry, "EstimatedSize", 99999);
  EXPECT_TRUE(record());
  EXPECT_EQ(estimatedSize(), 4u);
}

TEST_F(Registration, OpensTheNativeEntryWithCreationInTheSharedRegistrysView) {
  EXPECT_TRUE(record());
  ASSERT_EQ(world.registry.log().size(), 1u);
  EXPECT_EQ(world.registry.log()[0], "create hklm\\software\\microsoft\\windows\\currentversion\\uninstall\\nimbra 0xF013F");
}

TEST_F(Registration, AbsentEntryIsCreatedHoldingOnlyTheSize) {
  EXPECT_TRUE(record());
  EXPECT_EQ(estimatedSize(), 4u);
  EXPECT_EQ(world.registry.valueCount(RegistryRoot::LocalMachine, kEntry), 1u);
}

TEST_F(Registration, EntryFoundOnlyUnderWow6432NodeStillGetsTheSizeOnTheNativePath) {
  world.registry.setString(RegistryRoot::LocalMachine, kWowEntry, "UninstallString", "C:\\Apps\\Nimbra\\uninst.exe");
  EXPECT_TRUE(record());
  EXPECT_EQ(estimatedSize(), 4u);
  EXPECT_EQ(estimatedSize(kWowEntry), std::nullopt);
  EXPECT_EQ(world.registry.valueCount(RegistryRoot::LocalMachine, kWowEntry), 1u);
}

TEST_F(Registration, AFolderNotMeasuredWritesNothingButTheEntryIsCreated) {
  world.clock.tickStep = kFolderWalkTimeLimitMs + 1;
  EXPECT_FALSE(record());
  EXPECT_TRUE(world.registry.keyExists(RegistryRoot::LocalMachine, kEntry));
  EXPECT_EQ(world.registry.valueCount(RegistryRoot::LocalMachine, kEntry), 0u);
}

TEST_F(Registration, AFolderNotMeasuredLeavesAnEarlierSizeAlone) {
  world.registry.setDword(RegistryRoot::LocalMachine, kEntry, "EstimatedSize", 1234);
  world.clock.tickStep = kFolderWalkTimeLimitMs + 1;
  EXPECT_FALSE(record());
  EXPECT_EQ(estimatedSize(), 1234u);
}

TEST_F(Registration, HugeInstallationRecordsTheCapNotAWrappedSize) {
  world.files.addSizedFile("C:\\Apps\\Nimbra\\sounds\\all.cok", 5ull << 40);
  EXPECT_TRUE(record());
  EXPECT_EQ(estimatedSize(), 2147483647u);
}

TEST_F(Registration, EntryThatCannotBeCreatedIsPassedOver) {
  world.faults.failNext(Call::RegistryCreate, win::kErrorAccessDenied);
  EXPECT_FALSE(record());
  EXPECT_FALSE(world.registry.keyExists(RegistryRoot::LocalMachine, kEntry));
  EXPECT_TRUE(world.boxes.shown.empty());
}

TEST_F(Registration, FailedWriteIsReportedToTheCallerOnly) {
  world.faults.failNext(Call::RegistrySetValue, win::kErrorAccessDenied);
  EXPECT_FALSE(record());
  EXPECT_EQ(estimatedSize(), std::nullopt);
  EXPECT_TRUE(world.boxes.shown.empty());
}

TEST_F(Registration, On32BitWindowsThePlainPathIsWritten) {
  world.registry.wow64 = false;
  EXPECT_TRUE(record(win::kKeyAllAccess));
  EXPECT_EQ(estimatedSize(), 4u);
  EXPECT_EQ(estimatedSize(kWowEntry), std::nullopt);
}

TEST_F(Registration, ThePackVersionGoesBesideTheSizeInTheSameViewUnderThePackFileName) {
  SharedRegistry registry(world.registry, win::kKeyAllAccess | win::kKeyWow64_64Key);
  EXPECT_EQ(PackVersionValueName("dwix.cok"), "dwix.cok version");
  EXPECT_TRUE(RecordPackVersion(settings, registry, "dwix.cok", 6));
  EXPECT_EQ(world.registry.dword(RegistryRoot::LocalMachine, kEntry, "dwix.cok version"), 6u);
  EXPECT_EQ(world.registry.valueCount(RegistryRoot::LocalMachine, kWowEntry), 0u);
  EXPECT_EQ(world.registry.openKeys(), 0);
  world.faults.failNext(Call::RegistrySetValue);
  EXPECT_FALSE(RecordPackVersion(settings, registry, "dwix.cok", 7));
  EXPECT_FALSE(registry.hasCurrentKey());
}

}  // namespace
}  // namespace nimbra
