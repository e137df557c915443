#include "host/folder_size.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "platform/codes.h"

namespace nimbra {

namespace {

std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b) {
  return b > std::numeric_limits<std::uint64_t>::max() - a ? std::numeric_limits<std::uint64_t>::max() : a + b;
}

// A folder being walked: its handle and the subfolders still to enter.
struct Level {
  platform::Folder* folder;
  std::unique_ptr<platform::Folder> owned;  // null for the root, which the caller holds
  std::vector<std::string> subfolders;      // in reverse listing order, the next at the back
};

}  // namespace

std::int32_t WholeKibCapped(std::uint64_t bytes) {
  std::uint64_t kib = bytes >> 10;
  return kib > static_cast<std::uint64_t>(kFolderSizeLimitKB) ? kFolderSizeLimitKB : static_cast<std::int32_t>(kib);
}

FolderSize GetFolderSizeKB(platform::Folder& root, platform::Clock& clock) {
  const std::uint32_t started = clock.tickCount();
  // The full 64-bit sizes: a 32-bit byte total wraps at 4 GiB and would
  // record a large installation as a small one.
  std::uint64_t total = 0;
  std::size_t entries = 0;
  // Depth first: only the folders on the way down are held open.
  std::vector<Level> path;
  Level level{&root, nullptr, {}};
  for (;;) {
    for (const platform::DirectoryEntry& entry : level.folder->list(kFolderWalkEntryLimit - entries + 1)) {
      if (++entries > kFolderWalkEntryLimit) return {FolderWalk::TooManyEntries};
      if ((entry.attributes & win::kAttributeDirectory) == 0) {
        total = saturatingAdd(total, entry.size);
      } else if ((entry.attributes & win::kAttributeReparsePoint) == 0) {
        level.subfolders.push_back(entry.name);
      }
    }
    std::reverse(level.subfolders.begin(), level.subfolders.end());
    if (clock.tickCount() - started > kFolderWalkTimeLimitMs) return {FolderWalk::TooLong};
    path.push_back(std::move(level));
    // The next folder to enter: below the deepest one with subfolders left.
    std::unique_ptr<platform::Folder> entered;
    while (!entered && !path.empty()) {
      Level& deepest = path.back();
      if (deepest.subfolders.empty()) {
        path.pop_back();
        continue;
      }
      entered = deepest.folder->openFolder(deepest.subfolders.back());
      deepest.subfolders.pop_back();
    }
    if (!entered) return {FolderWalk::Measured, WholeKibCapped(total)};
    platform::Folder* next = entered.get();
    level = Level{next, std::move(entered), {}};
  }
}

}  // namespace nimbra
