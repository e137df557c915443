// Opening, writing, replacing and deleting real files in a scratch folder.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/codes.h"
#include "platform/win32/win32_files.h"
#include "location_support.h"
#include "test_support.h"

namespace nimbra::win32 {
namespace {

using platform::FileAccess;
using platform::FileCreation;

std::span<const std::byte> bytesOf(std::string_view text) {
  return std::as_bytes(std::span(text.data(), text.size()));
}

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = testing::freshScratchFolder(); }

  platform::OpenedFile open(const std::string& name, FileAccess access, std::uint32_t share,
                            FileCreation creation) {
    return files_.openFile(folder_ + name, access, share, creation);
  }
  std::string contentOf(const std::string& name) { return testing::readWholeFile(folder_ + name); }

  Win32FileSystem files_;
  std::string folder_;
};

TEST_F(FilesTest, WrittenBytesReadBackAfterFlushAndClose) {
  std::string data(200 * 1024, '\0');
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i % 253);
  {
    auto opened = open("dwix.cok", FileAccess::Write, win::kShareNone, FileCreation::CreateAlways);
    ASSERT_NE(opened.file, nullptr) << opened.error;
    EXPECT_EQ(opened.file->write(bytesOf(data)), data.size());
    EXPECT_TRUE(opened.file->flush());
  }
  auto opened = open("dwix.cok", FileAccess::Read, win::kShareRead, FileCreation::OpenExisting);
  ASSERT_NE(opened.file, nullptr);
  std::string back(data.size() + 10, '\0');
  std::size_t total = 0;
  while (const auto got = opened.file->read(std::as_writable_bytes(
             std::span(back.data() + total, back.size() - total)))) {
    if (*got == 0) break;
    total += *got;
  }
  back.resize(total);
  EXPECT_TRUE(back == data);
}

TEST_F(FilesTest, ReadAtTheEndGivesZeroBytes) {
  testing::writeWholeFile(folder_ + "five", "12345");
  auto opened = open("five", FileAccess::Read, win::kShareRead, FileCreation::OpenExisting);
  ASSERT_NE(opened.file, nullptr);
  std::byte buffer[16];
  EXPECT_EQ(opened.file->read(buffer), 5u);
  EXPECT_EQ(opened.file->read(buffer), 0u);
}

TEST_F(FilesTest, CreateNewOnAnExistingFileFailsWithFileExistsAndKeepsIt) {
  testing::writeWholeFile(folder_ + "dwix.cok", "old");
  const auto opened =
      open("dwix.cok", FileAccess::Write, win::kShareNone, FileCreation::CreateNew);
  EXPECT_EQ(opened.file, nullptr);
  EXPECT_EQ(opened.error, win::kErrorFileExists);
  EXPECT_EQ(contentOf("dwix.cok"), "old");
}

TEST_F(FilesTest, CreateAlwaysEmptiesAnExistingFile) {
  testing::writeWholeFile(folder_ + "dwix.cok", "old contents");
  auto opened = open("dwix.cok", FileAccess::Write, win::kShareNone, FileCreation::CreateAlways);
  ASSERT_NE(opened.file, nullptr);
  EXPECT_EQ(opened.file->write(bytesOf("new")), 3u);
  opened.file.reset();
  EXPECT_EQ(contentOf("dwix.cok"), "new");
}

TEST_F(FilesTest, OpeningAMissingFileFailsWithFileNotFound) {
  const auto opened = open("absent.cok", FileAccess::Read, win::kShareRead, FileCreation::OpenExisting);
  EXPECT_EQ(opened.file, nullptr);
  EXPECT_EQ(opened.error, win::kErrorFileNotFound);
}

TEST_F(FilesTest, OpeningInAMissingFolderFailsWithPathNotFound) {
  const auto opened =
      open("absent\\dwix.cok", FileAccess::Write, win::kShareNone, FileCreation::CreateAlways);
  EXPECT_EQ(opened.file, nullptr);
  EXPECT_EQ(opened.error, win::kErrorPathNotFound);
}

TEST_F(FilesTest, WritingAFileOpenedForReadingFails) {
  testing::writeWholeFile(folder_ + "dwix.cok", "old");
  auto opened = open("dwix.cok", FileAccess::Read, win::kShareRead, FileCreation::OpenExisting);
  ASSERT_NE(opened.file, nullptr);
  EXPECT_FALSE(opened.file->write(bytesOf("new")));
  opened.file.reset();
  EXPECT_EQ(contentOf("dwix.cok"), "old");
}

TEST_F(FilesTest, SecondOpenMustShareWhatTheFirstOpenedFor) {
  testing::writeWholeFile(folder_ + "english.lng", "x");
  auto reader = open("english.lng", FileAccess::Read, win::kShareRead, FileCreation::OpenExisting);
  ASSERT_NE(reader.file, nullptr);
  EXPECT_NE(open("english.lng", FileAccess::Read, win::kShareRead, FileCreation::OpenExisting).file,
            nullptr);
  const auto writer =
      open("english.lng", FileAccess::ReadWrite, win::kShareRead, FileCreation::OpenExisting);
  EXPECT_EQ(writer.file, nullptr);
  EXPECT_EQ(writer.error, win::kErrorSharingViolation);
}

TEST_F(FilesTest, ExclusiveOpenFailsWithSharingViolationWhileAnotherProcessHoldsTheFile) {
  testing::writeWholeFile(folder_ + "dwix.cok", "held");
  testing::HelperProcess holder("--hold-file", folder_ + "dwix.cok");
  ASSERT_TRUE(holder.ready());

  const auto whileHeld =
      open("dwix.cok", FileAccess::ReadWrite, win::kShareNone, FileCreation::OpenExisting);
  EXPECT_EQ(whileHeld.file, nullptr);
  EXPECT_EQ(whileHeld.error, win::kErrorSharingViolation);
  const auto sharedRead =
      open("dwix.cok", FileAccess::Read, win::kShareRead | win::kShareWrite, FileCreation::OpenExisting);
  EXPECT_EQ(sharedRead.error, win::kErrorSharingViolation);

  holder.release();
  const auto afterRelease =
      open("dwix.cok", FileAccess::ReadWrite, win::kShareNone, FileCreation::OpenExisting);
  EXPECT_NE(afterRelease.file, nullptr) << afterRelease.error;
}

// The log's file: created or appended to, never reached through another name.
TEST_F(FilesTest, AppendFileIsCreatedThenAppendedToAndSharedForReading) {
  for (const char* line : {"first\r\n", "second\r\n"}) {
    auto log = files_.openForAppend(folder_ + "pack.log");
    ASSERT_NE(log, nullptr);
    auto reader = open("pack.log", FileAccess::Read, win::kShareRead | win::kShareWrite, FileCreation::OpenExisting);
    EXPECT_NE(reader.file, nullptr);
    EXPECT_EQ(log->write(bytesOf(line)), std::strlen(line));
  }
  EXPECT_EQ(contentOf("pack.log"), "first\r\nsecond\r\n");
}

TEST_F(FilesTest, AppendFileIsRefusedForAFolderAMissingFolderAndAHardLink) {
  EXPECT_EQ(files_.openForAppend(folder_), nullptr);
  EXPECT_EQ(files_.openForAppend(folder_ + "missing\\pack.log"), nullptr);
  testing::writeWholeFile(folder_ + "system.ini", "[keep]\r\n");
  ASSERT_TRUE(::CreateHardLinkA((folder_ + "pack.log").c_str(), (folder_ + "system.ini").c_str(), nullptr));
  EXPECT_EQ(files_.openForAppend(folder_ + "pack.log"), nullptr);
  EXPECT_EQ(contentOf("system.ini"), "[keep]\r\n");
}

TEST_F(FilesTest, AppendFileIsRefusedThroughALinkAndWhatTheLinkNamesIsUntouched) {
  ::CreateDirectoryA((folder_ + "elsewhere").c_str(), nullptr);
  testing::writeWholeFile(folder_ + "elsewhere\\system.ini", "[keep]\r\n");
  // Unix links, which Wine shows as links: its CreateSymbolicLinkA makes none
  // and still says it did.
  ASSERT_TRUE(testing::makeUnixSymlink("elsewhere", folder_ + "logs"));
  ASSERT_TRUE(testing::makeUnixSymlink("elsewhere/system.ini", folder_ + "pack.log"));
  EXPECT_EQ(files_.openForAppend(folder_ + "logs\\system.ini"), nullptr);
  EXPECT_EQ(files_.openForAppend(folder_ + "logs\\new.log"), nullptr);
  EXPECT_EQ(files_.openForAppend(folder_ + "pack.log"), nullptr);
  EXPECT_EQ(contentOf("elsewhere\\system.ini"), "[keep]\r\n");
  EXPECT_EQ(::GetFileAttributesA((folder_ + "elsewhere\\new.log").c_str()), INVALID_FILE_ATTRIBUTES);
  testing::removeUnixSymlink(folder_ + "logs");
  testing::removeUnixSymlink(folder_ + "pack.log");
}

}  // namespace
}  // namespace nimbra::win32
