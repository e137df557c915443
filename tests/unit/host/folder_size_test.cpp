// GetFolderSizeKB on the fake file tree: what counts, the 64-bit sum and its
// cap, breadth-first order, and folder links.
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
  std::int32_t measure(std::string_view folder) { return GetFolderSizeKB(world.files, folder); }
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

TEST_F(FolderSize, MissingFolderEmptyPathAndAFileMeasureMinusOne) {
  world.files.addFile("C:\\Nimbra\\nimbra.exe", "MZ");
  EXPECT_EQ(measure("C:\\Elsewhere\\"), -1);
  EXPECT_EQ(measure(""), -1);
  EXPECT_EQ(measure("C:\\Nimbra\\nimbra.exe"), -1);
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

TEST_F(FolderSize, GivenFolderThatIsALinkIsMeasured) {
  world.files.addFile("D:\\Real\\a", std::string(3072, 'a'));
  world.files.addFolderLink("C:\\N", "D:\\Real");
  EXPECT_EQ(measure("C:\\N"), 3);
}

// Files of 1, 2, 4 and 8 KiB in root, a, b and a\c. Breadth-first lists
// root, a, b, c; the fourth listing failing must lose c's 8 KiB only.
TEST_F(FolderSize, FoldersAreVisitedBreadthFirstAndAnUnlistableOneCountsNothing) {
  world.files.addSizedFile("C:\\N\\r", 1 * kKiB);
  world.files.addSizedFile("C:\\N\\a\\f", 2 * kKiB);
  world.files.addSizedFile("C:\\N\\b\\f", 4 * kKiB);
  world.files.addSizedFile("C:\\N\\a\\c\\f", 8 * kKiB);
  world.faults.failNext(Call::ListDirectory, 0, /*skip=*/3);
  EXPECT_EQ(measure("C:\\N"), 7);
  EXPECT_EQ(measure("C:\\N"), 15);
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
