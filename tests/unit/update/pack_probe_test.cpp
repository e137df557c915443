// The installed pack version probe on the fake world: the version it reads,
// how long it waits for a held file, and the message when it gives up.
#include "update/pack_probe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "fake/fake_world.h"
#include "platform/codes.h"

namespace nimbra {
namespace {

using fake::BoxRecord;

constexpr const char* kFolder = "C:\\Program Files\\Nimbra\\";
constexpr const char* kPack = "C:\\Program Files\\Nimbra\\dwix.cok";
constexpr const char* kPackOpen = "c:\\program files\\nimbra\\dwix.cok read share=0 open-existing";

class PackProbeTest : public ::testing::Test {
 protected:
  PackProbeTest() {
    settings.installationFolder = kFolder;
    settings.programTitle = "Nimbra 3";
    settings.messageLanguageId = 0x00010419;  // only the low 16 bits, 1049, reach the box
    world.files.addFile("C:\\Program Files\\Nimbra\\language\\english.lng",
                        "[filecantopen]\r\nCannot open the file\r\n%1\r\nPlease close Nimbra.\r\n\r\n");
    languages.setSelected(languages.add("english.lng"));
    languages.setFolder(world.files.openFolder("C:\\Program Files\\Nimbra\\language").folder);
  }

  std::optional<std::int32_t> probe() {
    auto folder = world.files.openFolder(kFolder).folder;
    return ProbeInstalledPackVersion(platform, settings, catalogue, *folder, "dwix.cok", kPack).version;
  }

  // Opens of the pack file itself; the catalogue's reads of the language file aside.
  long packOpens() const { return std::count(world.files.log().begin(), world.files.log().end(), kPackOpen); }

  fake::FakeWorld world;
  platform::Platform platform = world.platform();
  Settings settings;
  LanguageFiles languages;
  MessageCatalogue catalogue{platform, settings, languages};
};

struct VersionCase {
  std::string content;
  std::int32_t version;
  bool carriedIsOlder;  // than an installed pack of this version, the carried one being 6
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const VersionCase& versionCase, std::ostream* out) {
  *out << versionCase.content.size() << " bytes, version " << versionCase.version;
}

class PackVersionTest : public PackProbeTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(PackVersionTest, ReadsTheVersionByteAtOffsetFourMinusThirtyTwo) {
  world.files.addFile(kPack, GetParam().content);
  EXPECT_EQ(probe(), GetParam().version);
  EXPECT_EQ(CarriedPackIsOlder(GetParam().version, 6), GetParam().carriedIsOlder);
  EXPECT_TRUE(world.boxes.shown.empty());
  EXPECT_TRUE(world.clock.sleeps.empty());
  EXPECT_EQ(world.files.openFiles(), 0);
  EXPECT_EQ(world.files.contents(kPack), GetParam().content);
}

INSTANTIATE_TEST_SUITE_P(
    VersionBytesAndShortFiles, PackVersionTest,
    ::testing::Values(VersionCase{std::string("dwix\x25 pack", 9), 5, false},
                      VersionCase{std::string("dwix\x26 pack", 9), 6, false},
                      VersionCase{std::string("dwix\x27 pack", 9), 7, true},
                      VersionCase{std::string("dwix\x00 pack", 9), -32, false},
                      VersionCase{std::string("dwix\xFF pack", 9), 223, true},
                      VersionCase{std::string(), -32, false},           // empty file
                      VersionCase{std::string("dwi"), -32, false},      // ends inside the magic
                      VersionCase{std::string("dwix"), -32, false},     // ends before the version byte
                      VersionCase{std::string("dwix\x27", 5), 7, true},  // exactly the header
                      VersionCase{std::string("abcd\x26", 5), 6, false}));  // the magic is not checked

TEST_F(PackProbeTest, OpensForReadingWithNoSharing) {
  world.files.addFile(kPack, "dwix&");
  probe();
  EXPECT_EQ(packOpens(), 1);
  EXPECT_EQ(world.files.log().back(), kPackOpen);
}

TEST_F(PackProbeTest, ReadErrorCountsAsTheLowestVersion) {
  world.files.addFile(kPack, "dwix\x27");
  world.faults.failNext(fake::Call::FileRead);
  EXPECT_EQ(probe(), -32);
}

TEST_F(PackProbeTest, PackHeldForTwoAttemptsIsReadOnTheThird) {
  world.files.addFile(kPack, "dwix\x25");
  world.files.holdOpen(kPack, 512);
  EXPECT_EQ(probe(), 5);
  EXPECT_EQ(world.clock.sleeps, (std::vector<std::uint32_t>{256, 256}));
  EXPECT_EQ(packOpens(), 3);
  EXPECT_TRUE(world.boxes.shown.empty());
}

TEST_F(PackProbeTest, PackHeldThroughoutShowsFileCantOpenAfterSeventeenAttempts) {
  world.files.addFile(kPack, "dwix\x25");
  world.files.holdOpen(kPack);
  EXPECT_EQ(probe(), std::nullopt);
  EXPECT_EQ(world.clock.sleeps, std::vector<std::uint32_t>(17, 256));
  EXPECT_EQ(packOpens(), 17);
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  const BoxRecord& box = world.boxes.shown[0];
  EXPECT_EQ(box.function, BoxRecord::Function::MessageBoxExW);
  EXPECT_EQ(box.caption, "Nimbra 3");
  EXPECT_EQ(box.text, "Cannot open the file\r\nC:\\Program Files\\Nimbra\\dwix.cok\r\nPlease close Nimbra.");
  EXPECT_EQ(box.style, 0x00200010u);
  EXPECT_EQ(box.language, 1049);
}

TEST_F(PackProbeTest, PackDeletedBeforeTheProbeIsWaitedForThenReported) {
  world.files.addFolder(kFolder);
  EXPECT_EQ(probe(), std::nullopt);
  EXPECT_EQ(world.clock.sleeps.size(), 17u);
  EXPECT_EQ(world.boxes.shown.size(), 1u);
}

TEST(PackVersionFromHeader, UsesOnlyTheFifthByte) {
  const std::byte header[] = {std::byte{0}, std::byte{0}, std::byte{0}, std::byte{0}, std::byte{0x20},
                              std::byte{0xFF}};
  EXPECT_EQ(PackVersionFromHeader(header), 0);
  EXPECT_EQ(PackVersionFromHeader(std::span(header).first(4)), -32);
}

}  // namespace
}  // namespace nimbra
