// GetFolderSizeKB on the fake file tree: what counts, the 64-bit sum and its
// cap, what a failed listing loses, folder links, and the bounds of the walk.
#include "host/folder_size.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "fake/fake_world.h"
#include "platform/codes.h"

namespace nimbra {
namespace {

using fake::Call;

constexpr std::uint64_t kKiB = 1024;
constexpr std::uint64_t kGiB = kKiB * kKiB * kKiB;

class FolderSize : public ::testing::Test {
 protected:
  nimbra::FolderSize walk(std::string_view folder) {
    auto opened = world.files.openFolder(folder);
    return opened.folder ? GetFolderSizeKB(*opened.folder, world.clock) : nimbra::FolderSize{};
  }
  std::int32_t measure(std::string_view folder) { return walk(folder).kib; }
  fake::FakeWorld world;
};

TEST_F(FolderSize, FilesInTheFolderAndASubfolderAreSummedInWholeKib) {
  world.files.addFile("C:\\Nimbra\\a.bin", std::string(1000, 'a'));
  world.files.addFile("C:\\Nimbra\\b.bin", std::string(2000, 'b'));
  world.files.addFile("C:\\Nimbra\\sounds\\c.bin", std::string(1100, 'c'));
  EXPECT_EQ(measure("C:\\Nimbra"), 4);
  EXPECT_EQ(measure("C:\\Nimbra\\"), 4);
}

TEST_F(FolderSize, EmptyFolderMeasuresZero) {
  world.files.addFolder("C:\\Nimbra");
  EXPECT_EQ(measure("C:\\Nimbra\\"), 0);
}

TEST_F(FolderSize, RemainderBelowAKibIsDropped) {
  world.files.addFile("C:\\N\\a", std::string(1023, 'a'));
  EXPECT_EQ(measure("C:\\N"), 0);
  world.files.addFile("C:\\N\\b", "b");
  EXPECT_EQ(measure("C:\\N"), 1);
  world.files.addFile("C:\\N\\c", std::string(1023, 'c'));
  EXPECT_EQ(measure("C:\\N"), 1);
}

TEST_F(FolderSize, HiddenAndSystemEntriesCount) {
  world.files.addFile("C:\\N\\hidden.dat", std::string(1024, 'h'), win::kAttributeHidden);
  world.files.addFile("C:\\N\\system.dat", std::string(1024, 's'), win::kAttributeSystem | win::kAttributeHidden);
  world.files.addFile("C:\\N\\readonly.dat", std::string(1024, 'r'), win::kAttributeReadOnly);
  world.files.addFolder("C:\\N\\cache", win::kAttributeHidden | win::kAttributeSystem);
  world.files.addFile("C:\\N\\cache\\x.dat", std::string(1024, 'x'));
  EXPECT_EQ(measure("C:\\N"), 4);
}

TEST_F(FolderSize, DeepTreeIsWalkedWhole) {
  std::string folder = "C:\\N";
  for (int depth = 0; depth < 20; ++depth) {
    folder += "\\d" + std::to_string(depth);
    world.files.addSizedFile(folder + "\\f", kKiB);
    world.files.addSizedFile(folder + "\\g", kKiB);
  }
  EXPECT_EQ(measure("C:\\N"), 40);
}

TEST_F(FolderSize, FiveGibTreeMeasuresItsFullSize) {
  world.files.addSizedFile("C:\\N\\sounds\\big.cok", 3 * kGiB);
  world.files.addSizedFile("C:\\N\\more.cok", 2 * kGiB);
  EXPECT_EQ(measure("C:\\N"), 5242880);
}

TEST_F(FolderSize, SingleFileOverFourGibIsNotTruncated) {
  world.files.addSizedFile("C:\\N\\huge.cok", 4 * kGiB + 2 * kKiB);
  EXPECT_EQ(measure("C:\\N"), 4194306);
}

TEST_F(FolderSize, TotalAtTheLimitIsKeptAndAboveItIsCapped) {
  world.files.addSizedFile("C:\\N\\a", 2147483647ull * kKiB);
  EXPECT_EQ(measure("C:\\N"), 2147483647);
  world.files.addSizedFile("C:\\N\\b", kKiB);
  EXPECT_EQ(measure("C:\\N"), 2147483647);
}

TEST_F(FolderSize, SizesThatWouldOverflowSixtyFourBitsStayCapped) {
  world.files.addSizedFile("C:\\N\\a", std::numeric_limits<std::uint64_t>::max());
  world.files.addSizedFile("C:\\N\\b", std::numeric_limits<std::uint64_t>::max());
  world.files.addSizedFile("C:\\N\\c", kKiB);
  EXPECT_EQ(measure("C:\\N"), 2147483647);
}

TEST_F(FolderSize, LinkBackUpTheTreeIsNotEntered) {
  world.files.addFile("C:\\N\\a", std::string(2048, 'a'));
  world.files.addFile("C:\\N\\sub\\b", std::string(1024, 'b'));
  world.files.addFolderLink("C:\\N\\sub\\loop", "C:\\N");
  world.files.addFolderLink("C:\\N\\self", "C:\\N\\self");
  EXPECT_EQ(measure("C:\\N"), 3);
}

TEST_F(FolderSize, LinkToAFolderOutsideIsNotCounted) {
  world.files.addFile("C:\\N\\a", std::string(1024, 'a'));
  world.files.addFile("D:\\Library\\big", std::string(8192, 'l'));
  world.files.addFolderLink("C:\\N\\library", "D:\\Library");
  EXPECT_EQ(measure("C:\\N"), 1);
}

// Through a link the walk could be steered anywhere: nothing is measured.
TEST_F(FolderSize, GivenFolderThatIsALinkIsNotMeasured) {
  world.files.addFile("D:\\Real\\a", std::string(3072, 'a'));
  world.files.addFolderLink("C:\\N", "D:\\Real");
  EXPECT_EQ(measure("C:\\N"), -1);
}

// Files of 1, 2, 4 and 8 KiB in root, a, b and a\c. Depth-first lists
// root, a, c, b; the third listing failing must lose c's 8 KiB only.
TEST_F(FolderSize, AnUnlistableFolderCountsNothingOfItsOwn) {
  world.files.addSizedFile("C:\\N\\r", 1 * kKiB);
  world.files.addSizedFile("C:\\N\\a\\f", 2 * kKiB);
  world.files.addSizedFile("C:\\N\\b\\f", 4 * kKiB);
  world.files.addSizedFile("C:\\N\\a\\c\\f", 8 * kKiB);
  world.faults.failNext(Call::ListDirectory, 0, /*skip=*/2);
  EXPECT_EQ(measure("C:\\N"), 7);
  EXPECT_EQ(measure("C:\\N"), 15);
}

// A folder such as "C:\" must not hold the update: past either bound the
// walk stops, and nothing is measured.
TEST_F(FolderSize, TheWalkStopsPastItsEntriesOrItsTime) {
  for (int i = 0; i < 10; ++i) world.files.addSizedFile("C:\\N\\sub" + std::to_string(i) + "\\f", kKiB);
  world.files.addSizedFile("C:\\N\\many\\f", kKiB);
  for (std::size_t i = 1; i < kFolderWalkEntryLimit - 21; ++i) world.files.addSizedFile("C:\\N\\many\\f" + std::to_string(i), 0);
  EXPECT_EQ(walk("C:\\N").walk, FolderWalk::Measured);  // exactly the limit
  world.files.addSizedFile("C:\\N\\one-more", 0);
  EXPECT_EQ(walk("C:\\N").walk, FolderWalk::TooManyEntries);

  world.files.remove("C:\\N\\many");
  world.clock.tickStep = kFolderWalkTimeLimitMs / 10;  // each folder listed takes a tenth of the time
  EXPECT_EQ(walk("C:\\N").walk, FolderWalk::TooLong);
  world.clock.tickStep = kFolderWalkTimeLimitMs / 12;
  EXPECT_EQ(walk("C:\\N").kib, 10);
}

TEST_F(FolderSize, UnlistableRootMeasuresZero) {
  world.files.addSizedFile("C:\\N\\r", 4 * kKiB);
  world.faults.failNext(Call::ListDirectory);
  EXPECT_EQ(measure("C:\\N"), 0);
}

TEST(WholeKibCapped, DropsTheRemainderAndCapsAtTheLargestInt32) {
  EXPECT_EQ(WholeKibCapped(0), 0);
  EXPECT_EQ(WholeKibCapped(1023), 0);
  EXPECT_EQ(WholeKibCapped(1024), 1);
  EXPECT_EQ(WholeKibCapped(5 * kGiB), 5242880);
  EXPECT_EQ(WholeKibCapped(2147483647ull * kKiB + 1023), 2147483647);
  EXPECT_EQ(WholeKibCapped(2147483648ull * kKiB), 2147483647);
  EXPECT_EQ(WholeKibCapped(std::numeric_limits<std::uint64_t>::max()), 2147483647);
}

}  // namespace
}  // namespace nimbra
