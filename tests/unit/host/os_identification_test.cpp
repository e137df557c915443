// Identification on the fake world: the facts gathered through the platform,
// the registry reads with their own access masks, and whole systems.
#include <gtest/gtest.h>

#include "fake/fake_world.h"
#include "host/os_identification.h"
#include "platform/codes.h"

namespace nimbra {
namespace {

using fake::RegistryRoot;

constexpr const char* kCurrentVersion = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr const char* kProductOptions = "SYSTEM\\CurrentControlSet\\Control\\ProductOptions";
constexpr const char* kHotfix = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009";

class IdentificationTest : public ::testing::Test {
 protected:
  void verPrints(std::string output) {
    world.processes.onRun = [output](const fake::FakeProcesses::Child&) {
      return platform::ChildOutput{true, false, output};
    };
  }

  std::string identify() { return IdentifyOperatingSystem(platform, is64Bit); }

  fake::FakeWorld world;
  platform::Platform platform = world.platform();
  bool is64Bit = false;
};

TEST_F(IdentificationTest, GathersTheExtendedRecordArchitectureAndMetrics) {
  world.system.extendedRecord = platform::VersionRecord{5, 1, 2600, 2, "Service Pack 3", 0x0300, 1};
  world.system.architecture = 0;
  world.system.metrics = {{win::kSmTabletPc, 1}, {win::kSmMediaCenter, 0}, {win::kSmStarter, 2}, {win::kSmServerR2, 0}};
  auto facts = GatherOsFacts(world.system);
  ASSERT_TRUE(facts.has_value());
  EXPECT_TRUE(facts->extendedRecord);
  EXPECT_EQ(facts->version.build, 2600u);
  EXPECT_EQ(facts->version.suiteMask, 0x0300);
  EXPECT_EQ(facts->architecture, 0);
  EXPECT_TRUE(facts->tabletPc);
  EXPECT_FALSE(facts->mediaCenter);
  EXPECT_TRUE(facts->starter);
  EXPECT_FALSE(facts->serverR2);
  EXPECT_EQ(world.system.versionCalls, 1);
}

TEST_F(IdentificationTest, AsksTheMetricsOnlyOfVersion5) {
  for (std::uint32_t major : {4u, 6u, 10u}) {
    world.system.extendedRecord->major = major;
    world.system.metrics = {{win::kSmTabletPc, 1}, {win::kSmStarter, 1}, {win::kSmServerR2, 1}};
    auto facts = GatherOsFacts(world.system);
    ASSERT_TRUE(facts.has_value());
    EXPECT_FALSE(facts->tabletPc || facts->starter || facts->serverR2) << major;
  }
  EXPECT_EQ(world.system.metricCalls, 0);
}

TEST_F(IdentificationTest, FallsBackToTheBasicRecord) {
  world.system.extendedRecord.reset();
  world.system.basicRecord = platform::VersionRecord{4, 0, 1381, 2, "Service Pack 5", 0, 0};
  auto facts = GatherOsFacts(world.system);
  ASSERT_TRUE(facts.has_value());
  EXPECT_FALSE(facts->extendedRecord);
  EXPECT_EQ(facts->version.servicePack, "Service Pack 5");
  EXPECT_EQ(world.system.versionCalls, 2);
}

TEST_F(IdentificationTest, NoRecordAtAllIsUnknownAndLeavesTheFlagAlone) {
  world.system.extendedRecord.reset();
  world.system.basicRecord.reset();
  is64Bit = true;
  EXPECT_EQ(identify(), "unknown");
  EXPECT_TRUE(is64Bit);
  is64Bit = false;
  EXPECT_EQ(identify(), "unknown");
  EXPECT_FALSE(is64Bit);
}

TEST_F(IdentificationTest, AnUnknownPlatformIdIsUnknown) {
  world.system.extendedRecord->platformId = 3;
  is64Bit = true;
  EXPECT_EQ(identify(), "unknown");
  EXPECT_TRUE(is64Bit);
}

TEST_F(IdentificationTest, Windows10On64BitTakesTheNativeViewsProductName) {
  world.system.extendedRecord = platform::VersionRecord{6, 2, 9200, 2, "", 0x0100, 1};
  world.registry.setString(RegistryRoot::LocalMachine, kCurrentVersion, "ProductName", "Windows 10 Pro");
  world.registry.setString(RegistryRoot::LocalMachine, "SOFTWARE\\WOW6432Node\\Microsoft\\Windows NT\\CurrentVersion",
                           "ProductName", "32-bit view");
  verPrints("\r\nMicrosoft Windows [Version 10.0.19045.3803]\r\n");

  EXPECT_EQ(identify(), "Windows 10 Pro 64-bit");
  EXPECT_TRUE(is64Bit);
  // The name replaces everything "ver" could have said: it is not run.
  EXPECT_TRUE(world.processes.children.empty());
  EXPECT_EQ(world.registry.log(),
            std::vector<std::string>{"open hklm\\software\\microsoft\\windows nt\\currentversion 0xF013F"});
  EXPECT_EQ(world.registry.openKeys(), 0);
}

TEST_F(IdentificationTest, Windows10WithoutAReadableProductNameRunsVer) {
  world.system.extendedRecord = platform::VersionRecord{6, 2, 9200, 2, "", 0x0100, 1};
  world.registry.denyKey(RegistryRoot::LocalMachine, kCurrentVersion);
  verPrints("\r\nMicrosoft Windows [Version 10.0.19045.3803]\r\n");
  EXPECT_EQ(identify(), "Microsoft Windows 10  64-bit");
  EXPECT_TRUE(is64Bit);
  ASSERT_EQ(world.processes.children.size(), 1u);
  EXPECT_EQ(world.processes.children[0].commandLine, "\"C:\\Windows\\system32\\cmd.exe\" /d /c ver");
}

TEST_F(IdentificationTest, Windows7On32BitIsProductName32BitAndServicePack) {
  world.registry.wow64 = false;
  world.system.architecture = 0;
  world.registry.setString(RegistryRoot::LocalMachine, kCurrentVersion, "ProductName", "Windows 7 Ultimate");
  EXPECT_EQ(identify(), "Windows 7 Ultimate 32-bit Service Pack 1");
  EXPECT_FALSE(is64Bit);
  EXPECT_TRUE(world.processes.children.empty());
}

TEST_F(IdentificationTest, Windows7WhoseCurrentVersionKeyDoesNotOpenKeepsTheBuiltName) {
  world.registry.denyKey(RegistryRoot::LocalMachine, kCurrentVersion);
  world.registry.setString(RegistryRoot::LocalMachine, kCurrentVersion, "ProductName", "Windows 7 Professional");
  EXPECT_EQ(identify(), "Microsoft Windows 7  64-bit Service Pack 1");
  EXPECT_TRUE(is64Bit);
}

TEST_F(IdentificationTest, ANonStringProductNameKeepsTheBuiltName) {
  world.registry.setDword(RegistryRoot::LocalMachine, kCurrentVersion, "ProductName", 7);
  EXPECT_EQ(identify(), "Microsoft Windows 7  64-bit Service Pack 1");
  EXPECT_EQ(world.registry.openKeys(), 0);
}

TEST_F(IdentificationTest, AnExpandableProductNameIsTakenUnexpanded) {
  world.registry.setString(RegistryRoot::LocalMachine, kCurrentVersion, "ProductName", "%OS% Seven", win::kRegExpandSz);
  EXPECT_EQ(identify(), "%OS% Seven 64-bit Service Pack 1");
}

TEST_F(IdentificationTest, WindowsXpProfessionalX64HasTheFlagClear) {
  world.system.extendedRecord = platform::VersionRecord{5, 2, 3790, 2, "Service Pack 2", 0x0100, 1};
  EXPECT_EQ(identify(), "Microsoft Windows XP Professional x64 Service Pack 2");
  EXPECT_FALSE(is64Bit);
  EXPECT_TRUE(world.registry.log().empty());
}

TEST_F(IdentificationTest, TheFlagIsClearedWhenTheNameHasNoSixtyFour) {
  world.system.extendedRecord = platform::VersionRecord{5, 1, 2600, 2, "Service Pack 3", 0x0100, 1};
  is64Bit = true;
  EXPECT_EQ(identify(), "Microsoft Windows XP Professional Service Pack 3");
  EXPECT_FALSE(is64Bit);
}

TEST_F(IdentificationTest, Windows62WithoutSystemDirectoryFallsBackToABareSpace) {
  world.system.extendedRecord = platform::VersionRecord{6, 2, 9200, 2, "", 0x0100, 1};
  world.registry.denyKey(RegistryRoot::LocalMachine, kCurrentVersion);
  world.system.systemFolder.clear();
  EXPECT_EQ(identify(), "Microsoft Windows   64-bit");
  EXPECT_TRUE(world.processes.children.empty());
}

TEST_F(IdentificationTest, Nt4WithTheBasicRecordReadsProductOptions) {
  world.system.extendedRecord.reset();
  world.system.basicRecord = platform::VersionRecord{4, 0, 1381, 2, "Service Pack 5", 0, 0};
  world.system.architecture = 0;
  world.registry.wow64 = false;
  world.registry.setString(RegistryRoot::LocalMachine, kProductOptions, "ProductType", "WinNT");
  EXPECT_EQ(identify(), "Microsoft Windows NT Workstation Service Pack 5");
  EXPECT_EQ(world.registry.log(),
            std::vector<std::string>{"open hklm\\system\\currentcontrolset\\control\\productoptions 0x1"});
  EXPECT_EQ(world.registry.openKeys(), 0);
}

TEST_F(IdentificationTest, ProductOptionsMustBeARegSzThatFitsItsBuffer) {
  world.system.extendedRecord.reset();
  world.system.basicRecord = platform::VersionRecord{4, 0, 1381, 2, "", 0, 0};
  world.registry.setString(RegistryRoot::LocalMachine, kProductOptions, "ProductType", "WinNT", win::kRegExpandSz);
  EXPECT_EQ(identify(), "Microsoft Windows NT ");

  // 255 letters and the NUL fill the 256-byte buffer exactly.
  world.registry.setString(RegistryRoot::LocalMachine, kProductOptions, "ProductType", std::string(255, 'x'));
  EXPECT_EQ(identify(), "Microsoft Windows NT Unknown");
  world.registry.setString(RegistryRoot::LocalMachine, kProductOptions, "ProductType", std::string(256, 'x'));
  EXPECT_EQ(identify(), "Microsoft Windows NT ");
}

TEST_F(IdentificationTest, Nt4ServicePack6WithTheHotfixKeyIsServicePack6a) {
  world.registry.wow64 = false;
  world.system.architecture = 0;
  world.system.extendedRecord = platform::VersionRecord{4, 0, 1381, 2, "Service Pack 6", 0, 1};
  world.registry.createKeyPath(RegistryRoot::LocalMachine, kHotfix);
  EXPECT_EQ(identify(), "Microsoft Windows NT Workstation Service Pack 6a");
  EXPECT_EQ(world.registry.log(),
            std::vector<std::string>{"open hklm\\software\\microsoft\\windows nt\\currentversion\\hotfix\\q246009 0x1"});
  EXPECT_EQ(world.registry.openKeys(), 0);
}

TEST_F(IdentificationTest, Nt4ServicePack6WithoutTheHotfixKeyStaysServicePack6) {
  world.registry.wow64 = false;
  world.system.extendedRecord = platform::VersionRecord{4, 0, 1381, 2, "Service Pack 6", 0, 1};
  EXPECT_EQ(identify(), "Microsoft Windows NT Workstation Service Pack 6");
}

TEST_F(IdentificationTest, Windows98SeNamesItselfWithoutTheRegistryOrAChild) {
  world.system.extendedRecord = platform::VersionRecord{4, 10, 0x040A08AE, 1, " A ", 0, 0};
  world.system.architecture = 0;
  EXPECT_EQ(identify(), "Microsoft Windows 98 SE  A ");
  EXPECT_TRUE(world.registry.log().empty());
  EXPECT_TRUE(world.processes.children.empty());
}

}  // namespace
}  // namespace nimbra
