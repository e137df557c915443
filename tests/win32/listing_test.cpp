// A held folder's listing: every entry whatever its attributes, and 64-bit sizes.
#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <algorithm>
#include <string>

#include "platform/codes.h"
#include "platform/win32/win32_files.h"
#include "test_support.h"

namespace nimbra::win32 {
namespace {

using ::testing::UnorderedElementsAre;

class ListingTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = testing::freshScratchFolder(); }

  std::vector<std::string> namesOf(const std::vector<platform::DirectoryEntry>& entries) {
    std::vector<std::string> names;
    for (const auto& entry : entries) names.push_back(entry.name);
    return names;
  }
  const platform::DirectoryEntry* find(const std::vector<platform::DirectoryEntry>& entries,
                                       std::string_view name) {
    const auto it = std::find_if(entries.begin(), entries.end(),
                                 [name](const auto& entry) { return entry.name == name; });
    return it == entries.end() ? nullptr : &*it;
  }

  std::vector<platform::DirectoryEntry> list(std::size_t most) {
    auto opened = files_.openFolder(folder_);
    EXPECT_NE(opened.folder, nullptr) << opened.error;
    return opened.folder ? opened.folder->list(most) : std::vector<platform::DirectoryEntry>{};
  }

  Win32FileSystem files_;
  std::string folder_;
};

TEST_F(ListingTest, AFolderListsEveryEntryWhateverItsAttributesAndUpToTheMostAskedFor) {
  testing::writeWholeFile(folder_ + "english.lng", "e");
  testing::writeWholeFile(folder_ + "hidden.lng", "hh");
  testing::writeWholeFile(folder_ + "system.lng", "sss");
  testing::writeWholeFile(folder_ + "readme.txt", "r");
  ASSERT_TRUE(::SetFileAttributesA((folder_ + "hidden.lng").c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(::SetFileAttributesA((folder_ + "system.lng").c_str(),
                                   FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(::CreateDirectoryA((folder_ + "folder.lng").c_str(), nullptr));

  const auto entries = list(platform::kListedEntryLimit);
  EXPECT_THAT(namesOf(entries),
              UnorderedElementsAre("english.lng", "hidden.lng", "system.lng", "folder.lng", "readme.txt"));
  ASSERT_EQ(entries.size(), 5u);
  EXPECT_EQ(find(entries, "english.lng")->size, 1u);
  EXPECT_EQ(find(entries, "english.lng")->attributes & win::kAttributeDirectory, 0u);
  EXPECT_NE(find(entries, "hidden.lng")->attributes & win::kAttributeHidden, 0u);
  EXPECT_EQ(find(entries, "hidden.lng")->size, 2u);
  EXPECT_NE(find(entries, "system.lng")->attributes & win::kAttributeSystem, 0u);
  EXPECT_NE(find(entries, "folder.lng")->attributes & win::kAttributeDirectory, 0u);
  EXPECT_EQ(list(2).size(), 2u);
}

TEST_F(ListingTest, SizeAboveFourGibibytesIsReportedWhole) {
  // A sparse file on the host: 5 GiB + 3 bytes long, next to no disk used.
  constexpr std::uint64_t kSize = (5ull << 30) + 3;
  {
    const UniqueFile file(::CreateFileA((folder_ + "big.cok").c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file.valid());
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(kSize);
    ASSERT_TRUE(::SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN));
    ASSERT_TRUE(::SetEndOfFile(file.get()));
  }
  const auto entries = list(platform::kListedEntryLimit);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].size, kSize);
  ::DeleteFileA((folder_ + "big.cok").c_str());
}

}  // namespace
}  // namespace nimbra::win32
