// Folders held open by handle: what is opened, created, renamed and deleted
// through one stays in it, whatever happens to the path that led there.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "install_support.h"
#include "location_support.h"
#include "platform/codes.h"
#include "platform/win32/win32_files.h"
#include "test_support.h"

namespace nimbra::win32 {
namespace {

using platform::FileAccess;
using platform::FileCreation;

class HeldFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Links first, while what they name is there: the tree's removal would
    // go through a folder link and leave the link behind.
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    removeLinks(std::string(temp) + "NimbraTests\\" + testing::currentTestName() + "\\");
    scratch_ = testing::freshScratchFolder();
    for (const char* folder : {"real", "real\\Nimbra", "other", "other\\Nimbra"})
      ::CreateDirectoryA((scratch_ + folder).c_str(), nullptr);
  }
  void TearDown() override { removeLinks(scratch_); }

  static void removeLinks(const std::string& scratch) {
    testing::removeUnixSymlink(scratch + "real\\Nimbra\\dwix.cok");
    testing::removeUnixSymlink(scratch + "way");
  }

  std::vector<std::string> namesIn(const std::string& folder) { return testing::namesIn(scratch_ + folder + "\\"); }

  Win32FileSystem files_;
  std::string scratch_;
};

// The pack's whole journey through the held folder: the stale temporary
// found by the listing discarded, the new one created, written and renamed
// over the pack, no name looked up by its path. (A link on the way to the
// folder is refused at the open, below: it could be re-pointed meanwhile.)
TEST_F(HeldFolderTest, EveryStepOfTheWriteGoesThroughTheHeldFolder) {
  testing::writeWholeFile(scratch_ + "real\\Nimbra\\dwix.cok", "old");
  testing::writeWholeFile(scratch_ + "real\\Nimbra\\dwix.cok.stale.new", "stale");
  platform::OpenedFolder held = files_.openFolder(scratch_ + "real\\Nimbra\\");
  ASSERT_NE(held.folder, nullptr) << held.error;
  EXPECT_EQ(::lstrcmpiA(held.folder->path().c_str(), (scratch_ + "real\\Nimbra").c_str()), 0) << held.folder->path();

  std::vector<std::string> listed;
  for (const platform::DirectoryEntry& entry : held.folder->list(100)) listed.push_back(entry.name);
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::string>{"dwix.cok", "dwix.cok.stale.new"}));

  auto stale = held.folder->openFile("dwix.cok.stale.new", FileAccess::Read, win::kShareNone, FileCreation::OpenExisting);
  ASSERT_NE(stale.file, nullptr) << stale.error;
  EXPECT_TRUE(stale.file->discard());
  stale.file.reset();

  auto created = held.folder->openFile("dwix.cok.abcdefgh.new", FileAccess::Write, win::kShareNone,
                                       FileCreation::CreateNew);
  ASSERT_NE(created.file, nullptr) << created.error;
  const std::string pack = "dwix\x26 new";
  EXPECT_EQ(created.file->write(std::as_bytes(std::span(pack.data(), pack.size()))), pack.size());
  EXPECT_TRUE(created.file->flush());
  EXPECT_EQ(created.file->rename("dwix.cok"), 0u);
  created.file.reset();

  EXPECT_EQ(testing::readWholeFile(scratch_ + "real\\Nimbra\\dwix.cok"), pack);
  EXPECT_EQ(namesIn("real\\Nimbra"), std::vector<std::string>{"dwix.cok"});
}

TEST_F(HeldFolderTest, OnlyAPlainFolderOfADriveIsOpenedAndOnlyPlainFilesInIt) {
  ASSERT_TRUE(testing::makeUnixSymlink("real", scratch_ + "way"));
  EXPECT_EQ(files_.openFolder(scratch_ + "way\\").error, win::kErrorCantAccessFile);
  EXPECT_EQ(files_.openFolder(scratch_ + "way").error, win::kErrorCantAccessFile);
  // A link on the way leads to a folder of the same name elsewhere: refused too.
  EXPECT_EQ(files_.openFolder(scratch_ + "way\\Nimbra\\").error, win::kErrorCantAccessFile);
  EXPECT_NE(files_.openFolder(scratch_ + "other\\..\\real\\Nimbra").folder, nullptr);
  EXPECT_EQ(files_.openFolder(scratch_ + "absent\\").error, win::kErrorPathNotFound);
  for (const char* form : {"\\\\?\\GLOBALROOT\\RPC Control\\", "\\\\.\\C:\\", "\\??\\C:\\", "real\\Nimbra\\"})
    EXPECT_EQ(files_.openFolder(form).error, win::kErrorCantAccessFile) << form;

  testing::writeWholeFile(scratch_ + "other\\system.ini", "[keep]");
  ASSERT_TRUE(testing::makeUnixSymlink("../../other/system.ini", scratch_ + "real\\Nimbra\\dwix.cok"));
  platform::OpenedFolder held = files_.openFolder(scratch_ + "real\\Nimbra\\");
  ASSERT_NE(held.folder, nullptr) << held.error;
  EXPECT_EQ(held.folder->openFile("dwix.cok", FileAccess::Read, win::kShareNone, FileCreation::OpenExisting).error,
            win::kErrorCantAccessFile);
  EXPECT_EQ(held.folder->openFile("..\\x", FileAccess::Write, win::kShareNone, FileCreation::CreateNew).error,
            win::kErrorInvalidName);
  EXPECT_EQ(held.folder->openFolder("dwix.cok"), nullptr);
  ASSERT_TRUE(::CreateDirectoryA((scratch_ + "real\\Nimbra\\folder.lng").c_str(), nullptr));
  EXPECT_EQ(held.folder->openFile("folder.lng", FileAccess::Read, win::kShareRead, FileCreation::OpenExisting).file,
            nullptr);
  EXPECT_EQ(testing::readWholeFile(scratch_ + "other\\system.ini"), "[keep]");
}

}  // namespace
}  // namespace nimbra::win32
