// The entry's run from start-up to release, driven by a literal command line.
#include "update/installer_main.h"

#include <gtest/gtest.h>

#include "fake/fake_world.h"
#include "platform/codes.h"

namespace nimbra {
namespace {

using platform::RegistryRoot;

constexpr char kEnglish[] =
    "[langcode]\r\n1033\r\n\r\n[langver]\r\n1\r\n\r\n[langcharset]\r\n0\r\n\r\n[progname]\r\nNimbra\r\n";

class InstallerMain : public ::testing::Test {
 protected:
  InstallerMain() {
    world.registry.setString(RegistryRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion",
                             "ProgramFilesDir", "C:\\Program Files");
    world.files.addFile("C:\\Program Files\\Nimbra\\nimbra.exe", "");
    world.files.addFile("C:\\Program Files\\Nimbra\\language\\english.lng", kEnglish);
    world.resources.add("DWIX", "COK", std::string("dwix\x26") + "content");
  }
  fake::FakeWorld world;
  platform::Platform platform = world.platform();
};

TEST_F(InstallerMain, ModestRunAppFromTheCommandLineInstallsAndStartsNimbraWithoutAQuestion) {
  EXPECT_EQ(RunInstaller(platform, "\"C:\\Users\\me\\Downloads\\nimbra-pack-update.exe\" Modest RUNAPP"),
            ExitCode::Installed);
  EXPECT_TRUE(world.boxes.shown.empty());
  EXPECT_EQ(world.files.contents("C:\\Program Files\\Nimbra\\dwix.cok"), std::string("dwix\x26") + "content");
  EXPECT_EQ(world.processes.shellOpens.size(), 1u);
  EXPECT_EQ(world.registry.openKeys(), 0);
  EXPECT_EQ(world.files.openFiles(), 0);
}

TEST_F(InstallerMain, WithoutArgumentsTheRunIsInteractive) {
  world.boxes.answers = {win::kIdNo};
  EXPECT_EQ(RunInstaller(platform, "\"C:\\Users\\me\\Downloads\\nimbra-pack-update.exe\""), ExitCode::Declined);
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  EXPECT_EQ(world.boxes.shown[0].style, win::kQuestionBoxStyle);
  EXPECT_FALSE(world.files.exists("C:\\Program Files\\Nimbra\\dwix.cok"));
}

}  // namespace
}  // namespace nimbra
