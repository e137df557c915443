// The shared registry object: one current key at a time, roots, the access
// mask on every open, string reads with their type check, the DWORD write.
#include <gtest/gtest.h>

#include <stdexcept>

#include "fake/fake_world.h"
#include "host/shared_registry.h"
#include "platform/codes.h"

namespace nimbra {
namespace {

using fake::RegistryRoot;

class SharedRegistryTest : public ::testing::Test {
 protected:
  fake::FakeWorld world;
  SharedRegistry registry{world.registry, 0xF013F};
};

TEST_F(SharedRegistryTest, StartsAtTheCurrentUserWithNoKeyOpen) {
  EXPECT_EQ(registry.root(), RegistryRoot::CurrentUser);
  EXPECT_FALSE(registry.hasCurrentKey());
  EXPECT_EQ(registry.accessMask(), 0xF013Fu);
}

TEST_F(SharedRegistryTest, OpeningWithoutCreationLeavesAMissingKeyMissing) {
  EXPECT_FALSE(registry.openKey("Software\\Missing", false));
  EXPECT_FALSE(registry.hasCurrentKey());
  EXPECT_FALSE(world.registry.keyExists(RegistryRoot::CurrentUser, "Software\\Missing"));
}

TEST_F(SharedRegistryTest, OpeningWithCreationCreatesTheKey) {
  EXPECT_TRUE(registry.openKey("Software\\Tarvel\\New", true));
  EXPECT_TRUE(registry.hasCurrentKey());
  EXPECT_TRUE(world.registry.keyExists(RegistryRoot::CurrentUser, "Software\\Tarvel\\New"));
}

TEST_F(SharedRegistryTest, EveryOpenPassesTheObjectsAccessMask) {
  world.registry.createKeyPath(RegistryRoot::LocalMachine, "SOFTWARE\\A");
  registry.setRoot(RegistryRoot::LocalMachine);
  registry.openKey("SOFTWARE\\A", false);
  registry.openKey("SOFTWARE\\B", true);
  EXPECT_EQ(world.registry.log(),
            (std::vector<std::string>{"open hklm\\software\\a 0xF013F", "create hklm\\software\\b 0xF013F"}));
}

TEST_F(SharedRegistryTest, OpeningAKeyClosesThePreviousOne) {
  world.registry.createKeyPath(RegistryRoot::CurrentUser, "Software\\A");
  world.registry.createKeyPath(RegistryRoot::CurrentUser, "Software\\B");
  registry.openKey("Software\\A", false);
  registry.openKey("Software\\B", false);
  EXPECT_EQ(world.registry.openKeys(), 1);
  // Relative to the root, not to the key that was current.
  EXPECT_EQ(world.registry.log().back(), "open hkcu\\software\\b 0xF013F");
}

TEST_F(SharedRegistryTest, AFailedOpenLeavesNoKeyCurrent) {
  world.registry.createKeyPath(RegistryRoot::CurrentUser, "Software\\A");
  registry.openKey("Software\\A", false);
  EXPECT_FALSE(registry.openKey("Software\\Missing", false));
  EXPECT_FALSE(registry.hasCurrentKey());
  EXPECT_EQ(world.registry.openKeys(), 0);
}

TEST_F(SharedRegistryTest, ChangingTheRootClosesTheCurrentKey) {
  registry.openKey("Software\\A", true);
  registry.setRoot(RegistryRoot::LocalMachine);
  EXPECT_FALSE(registry.hasCurrentKey());
  EXPECT_EQ(world.registry.openKeys(), 0);
  EXPECT_EQ(registry.root(), RegistryRoot::LocalMachine);
}

TEST_F(SharedRegistryTest, SettingTheSameRootKeepsTheCurrentKey) {
  registry.openKey("Software\\A", true);
  registry.setRoot(RegistryRoot::CurrentUser);
  EXPECT_TRUE(registry.hasCurrentKey());
}

TEST_F(SharedRegistryTest, TheMaskSelectsTheRegistryView) {
  world.registry.setString(RegistryRoot::LocalMachine, "SOFTWARE\\Tarvel\\X", "View", "64");
  world.registry.setString(RegistryRoot::LocalMachine, "SOFTWARE\\WOW6432Node\\Tarvel\\X", "View", "32");
  SharedRegistry view32{world.registry, 0xF003F};
  registry.setRoot(RegistryRoot::LocalMachine);
  view32.setRoot(RegistryRoot::LocalMachine);
  registry.openKey("SOFTWARE\\Tarvel\\X", false);
  view32.openKey("SOFTWARE\\Tarvel\\X", false);
  EXPECT_EQ(registry.readString("View").text, "64");
  EXPECT_EQ(view32.readString("View").text, "32");
}

TEST_F(SharedRegistryTest, StringReadsAcceptRegSzAndRegExpandSzUnexpanded) {
  world.registry.setString(RegistryRoot::CurrentUser, "Software\\K", "Plain", "C:\\Nimbra\\");
  world.registry.setString(RegistryRoot::CurrentUser, "Software\\K", "Expand", "%ProgramFiles%\\Nimbra",
                           win::kRegExpandSz);
  registry.openKey("Software\\K", false);
  StringRead plain = registry.readString("Plain");
  EXPECT_EQ(plain.status, ValueRead::Ok);
  EXPECT_EQ(plain.text, "C:\\Nimbra\\");
  StringRead expand = registry.readString("expand");
  EXPECT_EQ(expand.status, ValueRead::Ok);
  EXPECT_EQ(expand.text, "%ProgramFiles%\\Nimbra");
}

TEST_F(SharedRegistryTest, StringReadsRefuseEveryOtherType) {
  for (std::uint32_t type : {win::kRegNone, win::kRegBinary, win::kRegDword, win::kRegMultiSz, win::kRegQword}) {
    world.registry.setValue(RegistryRoot::CurrentUser, "Software\\K", "V", {type, std::string("text\0", 5)});
    registry.openKey("Software\\K", false);
    StringRead read = registry.readString("V");
    EXPECT_EQ(read.status, ValueRead::WrongType) << type;
    EXPECT_EQ(read.text, "") << type;
    EXPECT_TRUE(registry.valueExists("V"));
  }
}

TEST_F(SharedRegistryTest, StringTextEndsAtTheFirstNulOrAtTheEndOfTheData) {
  world.registry.setValue(RegistryRoot::CurrentUser, "Software\\K", "Nul", {win::kRegSz, std::string("ab\0cd\0", 6)});
  world.registry.setValue(RegistryRoot::CurrentUser, "Software\\K", "Bare", {win::kRegSz, "abc"});
  world.registry.setValue(RegistryRoot::CurrentUser, "Software\\K", "Empty", {win::kRegSz, ""});
  registry.openKey("Software\\K", false);
  EXPECT_EQ(registry.readString("Nul").text, "ab");
  EXPECT_EQ(registry.readString("Bare").text, "abc");
  EXPECT_EQ(registry.readString("Empty").status, ValueRead::Ok);
  EXPECT_EQ(registry.readString("Empty").text, "");
}

TEST_F(SharedRegistryTest, MissingValuesAndMissingKeysReadAsAbsent) {
  EXPECT_EQ(registry.readString("V").status, ValueRead::Absent);
  EXPECT_FALSE(registry.valueExists("V"));
  registry.openKey("Software\\K", true);
  EXPECT_EQ(registry.readString("V").status, ValueRead::Absent);
  EXPECT_FALSE(registry.valueExists("V"));
}

TEST_F(SharedRegistryTest, WritesADwordIntoTheCurrentKey) {
  registry.setRoot(RegistryRoot::LocalMachine);
  registry.openKey("SOFTWARE\\Uninstall\\Nimbra", true);
  EXPECT_TRUE(registry.writeDword("EstimatedSize", 16194));
  EXPECT_EQ(world.registry.dword(RegistryRoot::LocalMachine, "SOFTWARE\\Uninstall\\Nimbra", "EstimatedSize"),
            std::optional<std::uint32_t>(16194));
}

TEST_F(SharedRegistryTest, ADwordWriteFailsWithoutAKeyOrWhenRefused) {
  EXPECT_FALSE(registry.writeDword("EstimatedSize", 1));
  registry.openKey("Software\\K", true);
  world.faults.failNext(fake::Call::RegistrySetValue);
  EXPECT_FALSE(registry.writeDword("EstimatedSize", 1));
  EXPECT_EQ(world.registry.valueCount(RegistryRoot::CurrentUser, "Software\\K"), 0u);
}

TEST_F(SharedRegistryTest, TheScopeClosesTheKeyOnEveryPath) {
  {
    CurrentKeyScope scope(registry);
    registry.openKey("Software\\K", true);
  }
  EXPECT_FALSE(registry.hasCurrentKey());
  try {
    CurrentKeyScope scope(registry);
    registry.openKey("Software\\K", true);
    throw std::runtime_error("read failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_FALSE(registry.hasCurrentKey());
  EXPECT_EQ(world.registry.openKeys(), 0);
}

TEST_F(SharedRegistryTest, UseKeySetsTheRootOpensAndItsScopeCloses) {
  world.registry.setString(RegistryRoot::LocalMachine, "SOFTWARE\\K", "V", "machine");
  {
    auto key = registry.useKey(RegistryRoot::LocalMachine, "SOFTWARE\\K", false);
    EXPECT_TRUE(key);
    EXPECT_EQ(registry.root(), RegistryRoot::LocalMachine);
    EXPECT_EQ(registry.readString("V").text, "machine");
  }
  EXPECT_EQ(world.registry.openKeys(), 0);
  EXPECT_FALSE(registry.useKey(RegistryRoot::CurrentUser, "Software\\Missing", false));
  EXPECT_TRUE(registry.useKey(RegistryRoot::CurrentUser, "Software\\Made", true));
  EXPECT_TRUE(world.registry.keyExists(RegistryRoot::CurrentUser, "Software\\Made"));
  EXPECT_EQ(world.registry.openKeys(), 0);
}

TEST_F(SharedRegistryTest, DestroyingTheObjectClosesItsKey) {
  {
    SharedRegistry local{world.registry, 0xF003F};
    local.openKey("Software\\K", true);
    EXPECT_EQ(world.registry.openKeys(), 1);
  }
  EXPECT_EQ(world.registry.openKeys(), 0);
}

}  // namespace
}  // namespace nimbra
