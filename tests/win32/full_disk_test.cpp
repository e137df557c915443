// Writing to a disk that fills up: the count of every write is what tells.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/codes.h"
#include "platform/win32/win32_files.h"

namespace nimbra::win32 {
namespace {

TEST(FullDisk, WriteBeyondTheFreeSpaceReturnsAShortCountAndTheNextOneFails) {
  // full_disk.sh leaves this marker on the tmpfs it maps, so no other drive of
  // that letter is ever filled up.
  const std::string drive = NIMBRA_FULL_DISK_DRIVE;
  if (::GetFileAttributesA((drive + "\\nimbra-full-disk").c_str()) == INVALID_FILE_ATTRIBUTES)
    FAIL() << "no full-disk drive " << drive << " (ctest's win32_full_disk fixture maps one)";

  Win32FileSystem files;
  const std::string path = drive + "\\dwix.cok";
  auto opened = files.openFile(path, platform::FileAccess::Write, win::kShareNone,
                               platform::FileCreation::CreateAlways);
  ASSERT_NE(opened.file, nullptr) << opened.error;
  const std::string data(2 * 1024 * 1024, 'p');  // twice the size of the whole disk
  const auto first = opened.file->write(std::as_bytes(std::span(data.data(), data.size())));
  ASSERT_TRUE(first);
  EXPECT_GT(*first, 0u);
  EXPECT_LT(*first, data.size());

  const auto second = opened.file->write(std::as_bytes(std::span(data.data(), 4096)));
  const DWORD error = ::GetLastError();
  EXPECT_FALSE(second);
  EXPECT_EQ(error, win::kErrorDiskFull);

  opened.file.reset();
  EXPECT_TRUE(::DeleteFileA(path.c_str()));
}

}  // namespace
}  // namespace nimbra::win32
