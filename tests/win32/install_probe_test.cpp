// The installed pack version probe on the real platform: the version bytes of
// real files, and its wait for another process that holds the pack.
#include <gtest/gtest.h>

#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

#include "install_support.h"
#include "lang/catalogue.h"
#include "update/pack_probe.h"
#include "test_support.h"

namespace nimbra::win32::testing {
namespace {

class ProbeUnderWine : public ::testing::Test {
 protected:
  void SetUp() override {
    settings_.installationFolder = freshScratchFolder();
    pack_ = settings_.installationFolder + "dwix.cok";
    ASSERT_TRUE(::CreateDirectoryA((settings_.installationFolder + "language").c_str(), nullptr));
    writeWholeFile(settings_.installationFolder + "language\\english.lng",
                   "[filecantopen]\r\nCan't open %1\r\nPlease close Nimbra.\r\n\r\n");
    languages_.setSelected(languages_.add("english.lng"));
    languages_.setFolder(platform_.files.openFolder(settings_.installationFolder + "language").folder);
  }

  std::optional<std::int32_t> probe() {
    auto folder = platform_.files.openFolder(settings_.installationFolder).folder;
    return ProbeInstalledPackVersion(platform_, settings_, catalogue_, *folder, "dwix.cok", pack_).version;
  }

  InstallPlatform world_;
  platform::Platform platform_ = world_.platform();
  Settings settings_;
  LanguageFiles languages_;
  MessageCatalogue catalogue_{platform_, settings_, languages_};
  std::string pack_;
};

struct VersionCase {
  const char* name;
  std::string content;
  std::int32_t version;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const VersionCase& versionCase, std::ostream* out) { *out << versionCase.name; }

class ProbeVersionUnderWine : public ProbeUnderWine, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(ProbeVersionUnderWine, ReadsTheVersionByteOfTheInstalledPack) {
  writeWholeFile(pack_, GetParam().content);
  EXPECT_EQ(probe(), GetParam().version);
  EXPECT_TRUE(world_.clock.sleeps.empty());
  EXPECT_TRUE(world_.boxes.texts.empty());
  // Closed again: an exclusive open succeeds at once.
  const HANDLE again = ::CreateFileA(pack_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(again, INVALID_HANDLE_VALUE);
  ::CloseHandle(again);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ProbeVersionUnderWine,
    ::testing::Values(VersionCase{"Byte25", std::string("dwix\x25 data", 9), 5},
                      VersionCase{"Byte26", std::string("dwix\x26 data", 9), 6},
                      VersionCase{"Byte27", std::string("dwix\x27 data", 9), 7},
                      VersionCase{"Byte00", std::string("dwix\x00 data", 9), -32},
                      VersionCase{"ByteFF", std::string("dwix\xFF data", 9), 223},
                      VersionCase{"Empty", std::string(), -32},
                      VersionCase{"FourBytes", std::string("dwix"), -32},
                      VersionCase{"FiveBytes", std::string("dwix\x27", 5), 7}),
    [](const ::testing::TestParamInfo<VersionCase>& param) { return std::string(param.param.name); });

TEST_F(ProbeUnderWine, PackHeldForTwoAttemptsIsReadOnTheThird) {
  writeWholeFile(pack_, std::string("dwix\x25", 5));
  HelperProcess holder("--hold-file", pack_);
  ASSERT_TRUE(holder.ready());
  world_.clock.afterSleep = [&](int sleeps) {
    if (sleeps == 2) holder.release();
  };
  const Stopwatch watch;
  EXPECT_EQ(probe(), 5);
  const double waited = watch.elapsedMs();
  reportFigure("probe, pack held for two attempts", waited);
  EXPECT_EQ(world_.clock.sleeps, (std::vector<std::uint32_t>{256, 256}));
  EXPECT_GE(waited, 500.0);
  EXPECT_LT(waited, 3000.0);
  EXPECT_TRUE(world_.boxes.texts.empty());
}

TEST_F(ProbeUnderWine, PackHeldThroughoutGivesFileCantOpenAfterAbout4Point4Seconds) {
  writeWholeFile(pack_, std::string("dwix\x25", 5));
  HelperProcess holder("--hold-file", pack_);
  ASSERT_TRUE(holder.ready());
  const Stopwatch watch;
  EXPECT_EQ(probe(), std::nullopt);
  const double waited = watch.elapsedMs();
  reportFigure("probe, pack held throughout", waited);
  EXPECT_EQ(world_.clock.sleeps, std::vector<std::uint32_t>(17, 256));
  EXPECT_GE(waited, 4300.0);
  EXPECT_LT(waited, 9000.0);
  EXPECT_EQ(world_.boxes.texts, std::vector<std::string>{"Can't open " + pack_ + "\r\nPlease close Nimbra."});
}

}  // namespace
}  // namespace nimbra::win32::testing
