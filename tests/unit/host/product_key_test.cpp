// OpenProductKey: the per-user product key, created when absent, errors
// unreported; its scope closes it.
#include <gtest/gtest.h>

#include "fake/fake_world.h"
#include "host/product_key.h"
#include "platform/codes.h"

namespace nimbra {
namespace {

using fake::RegistryRoot;

class ProductKeyTest : public ::testing::Test {
 protected:
  ProductKeyTest() { settings.productKey = "Nimbra"; }

  fake::FakeWorld world;
  Settings settings;
  SharedRegistry registry{world.registry, 0xF013F};
};

TEST_F(ProductKeyTest, CreatesTheEmptyKeyOnAMachineWithoutIt) {
  auto productKey = OpenProductKey(registry, settings);
  EXPECT_TRUE(registry.hasCurrentKey());
  EXPECT_TRUE(world.registry.keyExists(RegistryRoot::CurrentUser, "Software\\Tarvel\\Nimbra"));
  EXPECT_EQ(world.registry.valueCount(RegistryRoot::CurrentUser, "Software\\Tarvel\\Nimbra"), 0u);
  EXPECT_EQ(world.registry.log(), std::vector<std::string>{"create hkcu\\software\\tarvel\\nimbra 0xF013F"});
}

TEST_F(ProductKeyTest, OpensAnExistingKeyWithItsValues) {
  world.registry.setString(RegistryRoot::CurrentUser, "Software\\Tarvel\\Nimbra", "TheLastRunFolder", "D:\\Nimbra\\");
  auto productKey = OpenProductKey(registry, settings);
  EXPECT_EQ(registry.readString("TheLastRunFolder").text, "D:\\Nimbra\\");
}

TEST_F(ProductKeyTest, ReturnsToTheCurrentUserRootFirst) {
  registry.setRoot(RegistryRoot::LocalMachine);
  registry.openKey("SOFTWARE\\Other", true);
  auto productKey = OpenProductKey(registry, settings);
  EXPECT_EQ(registry.root(), RegistryRoot::CurrentUser);
  EXPECT_EQ(world.registry.openKeys(), 1);
  EXPECT_TRUE(world.registry.keyExists(RegistryRoot::CurrentUser, "Software\\Tarvel\\Nimbra"));
  EXPECT_FALSE(world.registry.keyExists(RegistryRoot::LocalMachine, "SOFTWARE\\Other\\Software\\Tarvel\\Nimbra"));
}

TEST_F(ProductKeyTest, AKeyThatCannotBeCreatedLeavesNoKeyCurrentAndSaysNothing) {
  world.registry.denyKey(RegistryRoot::CurrentUser, "Software\\Tarvel\\Nimbra");
  auto denied = OpenProductKey(registry, settings);
  EXPECT_FALSE(registry.hasCurrentKey());
  EXPECT_EQ(registry.readString("TheLastRunFolder").status, ValueRead::Absent);
  EXPECT_TRUE(world.boxes.shown.empty());

  registry.openKey("Software\\Elsewhere", true);
  world.faults.failNext(fake::Call::RegistryCreate, win::kErrorAccessDenied);
  auto refused = OpenProductKey(registry, settings);
  EXPECT_FALSE(refused);
  EXPECT_FALSE(registry.hasCurrentKey());
  EXPECT_EQ(world.registry.openKeys(), 0);
}

TEST_F(ProductKeyTest, TheReturnedScopeClosesTheKey) {
  {
    auto productKey = OpenProductKey(registry, settings);
    EXPECT_TRUE(productKey);
    EXPECT_EQ(world.registry.openKeys(), 1);
  }
  EXPECT_FALSE(registry.hasCurrentKey());
  EXPECT_EQ(world.registry.openKeys(), 0);
}

}  // namespace
}  // namespace nimbra
