// The resource installer on the real platform: the bytes that reach the disk,
// the wait for another process that holds the pack, and what a failure keeps.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "install/crc32c.h"
#include "install/resource_installer.h"
#include "install_support.h"
#include "test_support.h"

namespace nimbra::win32::testing {
namespace {

const std::string kOldPack = std::string("dwix\x25", 5) + "the installed pack of version 5";

class InstallResourceUnderWine : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = freshScratchFolder();
    target_ = folder_ + "dwix.cok";
    settings_.englishTitle = "Nimbra update";
  }

  // Checked against the module's pack as the table computes it, so that the
  // processor's instruction (where the emulator or the machine has it) is
  // checked too, in this very build.
  InstallOutcome install(const std::string& target, std::string_view resource = "dwix") {
    const std::string pack = modulePack();
    const auto bytes = std::as_bytes(std::span(pack));
    const PackCheck record{bytes.size(), ~Crc32cByTable(~0u, bytes)};
    const std::size_t cut = target.find_last_of('\\') + 1;
    platform::OpenedFolder folder = world_.platform().files.openFolder(target.substr(0, cut));
    EXPECT_NE(folder.folder, nullptr) << folder.error;
    if (!folder.folder) return {};
    return InstallResourceFile(world_.platform(), settings_, random_, resource, "cok",
                               {*folder.folder, std::string_view(target).substr(cut), target}, {true, record});
  }

  InstallPlatform world_;
  Settings settings_;
  RandomGenerator random_{::GetTickCount()};
  std::string folder_;
  std::string target_;
};

TEST_F(InstallResourceUnderWine, WrittenPackEqualsTheModuleResourceByteForByte) {
  writeWholeFile(target_, kOldPack);
  const std::string pack = modulePack();
  ASSERT_GT(pack.size(), 5u);
  EXPECT_EQ(install(target_), InstallResult::Installed);
  const std::string written = readWholeFile(target_);
  EXPECT_EQ(written.substr(0, 5), std::string("dwix\x26", 5));
  EXPECT_TRUE(written == pack) << "written " << written.size() << " bytes, resource " << pack.size();
  EXPECT_EQ(namesIn(folder_), std::vector<std::string>{"dwix.cok"});
  EXPECT_TRUE(world_.boxes.texts.empty());
  EXPECT_TRUE(world_.clock.sleeps.empty());
}

TEST_F(InstallResourceUnderWine, MissingPackIsCreated) {
  EXPECT_EQ(install(target_), InstallResult::Installed);
  EXPECT_TRUE(readWholeFile(target_) == modulePack());
}

TEST_F(InstallResourceUnderWine, PackHeldForTheFirstTwoAttemptsIsWrittenOnTheThird) {
  writeWholeFile(target_, kOldPack);
  HelperProcess holder("--hold-file", target_);
  ASSERT_TRUE(holder.ready());
  // Let go during the second sleep's aftermath, as a closing Nimbra would.
  world_.clock.afterSleep = [&](int sleeps) {
    if (sleeps == 2) holder.release();
  };
  const Stopwatch watch;
  EXPECT_EQ(install(target_), InstallResult::Installed);
  const double waited = watch.elapsedMs();
  reportFigure("install, pack held for two attempts", waited);
  EXPECT_EQ(world_.clock.sleeps, (std::vector<std::uint32_t>{256, 256}));
  EXPECT_GE(waited, 500.0);
  EXPECT_LT(waited, 3000.0);
  EXPECT_TRUE(readWholeFile(target_) == modulePack());
  EXPECT_TRUE(world_.boxes.texts.empty());
}

TEST_F(InstallResourceUnderWine, PackHeldThroughoutIsLeftAsItWasAfterAbout4Point4Seconds) {
  writeWholeFile(target_, kOldPack);
  HelperProcess holder("--hold-file", target_);
  ASSERT_TRUE(holder.ready());
  const Stopwatch watch;
  EXPECT_EQ(install(target_), InstallResult::InUse);
  const double waited = watch.elapsedMs();
  reportFigure("install, pack held throughout", waited);
  holder.release();
  EXPECT_EQ(world_.clock.sleeps, std::vector<std::uint32_t>(17, 256));
  EXPECT_GE(waited, 4300.0);
  EXPECT_LT(waited, 9000.0);
  EXPECT_EQ(world_.boxes.texts, std::vector<std::string>{"Can't install file " + target_});
  EXPECT_EQ(readWholeFile(target_), kOldPack);
  EXPECT_EQ(namesIn(folder_), std::vector<std::string>{"dwix.cok"});
}

TEST_F(InstallResourceUnderWine, MissingResourceLeavesThePackUntouched) {
  writeWholeFile(target_, kOldPack);
  EXPECT_EQ(install(target_, "crickets"), InstallResult::Failed);
  EXPECT_EQ(world_.boxes.texts, std::vector<std::string>{"Can't install file " + target_});
  EXPECT_EQ(readWholeFile(target_), kOldPack);
  EXPECT_EQ(namesIn(folder_), std::vector<std::string>{"dwix.cok"});
}

// On the 1 MiB drive that ctest's win32_full_disk fixture maps, filled up
// around a small installed pack: the temporary file cannot take the new one.
TEST_F(InstallResourceUnderWine, FullDiskKeepsTheOldPackAndLeavesNoTemporaryFile) {
  const std::string drive = NIMBRA_FULL_DISK_DRIVE;
  if (::GetFileAttributesA((drive + "\\nimbra-full-disk").c_str()) == INVALID_FILE_ATTRIBUTES)
    FAIL() << "no full-disk drive " << drive << " (ctest's win32_full_disk fixture maps one)";
  const std::string folder = drive + "\\" + currentTestName() + "\\";
  deleteTree(folder.substr(0, folder.size() - 1));
  ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
  const std::string target = folder + "dwix.cok";
  writeWholeFile(target, kOldPack);
  {
    // One write larger than the drive takes all that is left.
    const HANDLE filler = ::CreateFileA((folder + "filler").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(filler, INVALID_HANDLE_VALUE);
    const std::string block(2 * 1024 * 1024, 'f');
    DWORD written = 0;
    ::WriteFile(filler, block.data(), static_cast<DWORD>(block.size()), &written, nullptr);
    ::CloseHandle(filler);
    ASSERT_GT(written, 0u);
    ASSERT_LT(written, block.size());
  }

  const InstallOutcome result = install(target);
  const std::vector<std::string> left = namesIn(folder);
  const std::string kept = readWholeFile(target);
  deleteTree(folder.substr(0, folder.size() - 1));

  EXPECT_EQ(result, InstallResult::Failed);
  EXPECT_EQ(result.error, static_cast<std::uint32_t>(ERROR_DISK_FULL));
  EXPECT_EQ(world_.boxes.texts, std::vector<std::string>{"Can't install file " + target});
  EXPECT_EQ(kept, kOldPack);
  EXPECT_EQ(left, (std::vector<std::string>{"dwix.cok", "filler"}));
}

}  // namespace
}  // namespace nimbra::win32::testing
