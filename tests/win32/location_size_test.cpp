// GetFolderSizeKB of real folder trees under Wine: hidden and system entries,
// a sparse file past 4 GiB, and a symbolic link that points back up the tree.
#include <gtest/gtest.h>

#include <string>

#include "host/folder_size.h"
#include "location_support.h"
#include "platform/win32/handles.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_files.h"
#include "test_support.h"

namespace nimbra::win32 {
namespace {

class LocationSizeTest : public ::testing::Test {
 protected:
  void SetUp() override { root_ = testing::freshScratchFolder(); }

  void file(const std::string& name, std::size_t size, DWORD attributes = 0) {
    testing::writeWholeFile(root_ + name, std::string(size, 'n'));
    if (attributes) ::SetFileAttributesA((root_ + name).c_str(), attributes);
  }
  void folder(const std::string& name, DWORD attributes = 0) {
    ASSERT_TRUE(::CreateDirectoryA((root_ + name).c_str(), nullptr));
    if (attributes) ::SetFileAttributesA((root_ + name).c_str(), attributes);
  }

  // -1 when the folder cannot be opened.
  FolderSize measure(const std::string& path) {
    auto folder = files_.openFolder(path).folder;
    return folder ? GetFolderSizeKB(*folder, clock_) : FolderSize{};
  }

  Win32FileSystem files_;
  Win32Clock clock_;
  std::string root_;  // ends with a backslash
};

TEST_F(LocationSizeTest, TreeMeasuresAllItsFilesInWholeKib) {
  file("a.bin", 1000);
  file("b.bin", 2000);
  folder("sounds");
  file("sounds\\c.bin", 1100);
  EXPECT_EQ(measure(root_).kib, 4);
  EXPECT_EQ(measure(root_.substr(0, root_.size() - 1)).kib, 4);
}

TEST_F(LocationSizeTest, HiddenAndSystemEntriesCount) {
  file("hidden.dat", 1024, FILE_ATTRIBUTE_HIDDEN);
  folder("cache", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  file("cache\\system.dat", 2048, FILE_ATTRIBUTE_SYSTEM);
  file("readonly.dat", 1024, FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(measure(root_).kib, 4);
  ::SetFileAttributesA((root_ + "readonly.dat").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(LocationSizeTest, EmptyFolderIsZeroAndAMissingOneMinusOne) {
  EXPECT_EQ(measure(root_).kib, 0);
  EXPECT_EQ(measure(root_ + "missing\\").kib, -1);
  file("plain.txt", 10);
  EXPECT_EQ(measure(root_ + "plain.txt").kib, -1);
}

TEST_F(LocationSizeTest, SparseFileLargerThanFourGibCountsWhole) {
  const std::string path = root_ + "huge.cok";
  {
    const UniqueFile huge(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                        nullptr));
    ASSERT_TRUE(huge.valid());
    LARGE_INTEGER size;
    size.QuadPart = 5LL << 30;
    ASSERT_TRUE(::SetFilePointerEx(huge.get(), size, nullptr, FILE_BEGIN));
    ASSERT_TRUE(::SetEndOfFile(huge.get()));
  }
  file("small.bin", 2048);
  EXPECT_EQ(measure(root_).kib, 5242880 + 2);
  ::DeleteFileA(path.c_str());
}

TEST_F(LocationSizeTest, SymbolicLinkBackUpTheTreeIsNotEntered) {
  folder("sub");
  file("a.bin", 2048);
  file("sub\\b.bin", 1024);
  const std::string link = root_ + "sub\\up";
  testing::removeUnixSymlink(link);
  if (!testing::makeUnixSymlink("..", link)) GTEST_SKIP() << "cannot make a Unix symbolic link here";
  const DWORD attributes = ::GetFileAttributesA(link.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  ASSERT_TRUE(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
  EXPECT_EQ(measure(root_).kib, 3);
  // Removed before anything walks the scratch tree again.
  testing::removeUnixSymlink(link);
  EXPECT_EQ(::GetFileAttributesA(link.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace nimbra::win32
