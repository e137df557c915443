#include "host/folder_size.h"

#include <limits>
#include <queue>
#include <string>

#include "host/folder_path.h"
#include "platform/codes.h"

namespace nimbra {

namespace {

std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b) {
  return b > std::numeric_limits<std::uint64_t>::max() - a ? std::numeric_limits<std::uint64_t>::max() : a + b;
}

}  // namespace

std::int32_t WholeKibCapped(std::uint64_t bytes) {
  std::uint64_t kib = bytes >> 10;
  return kib > static_cast<std::uint64_t>(kFolderSizeLimitKB) ? kFolderSizeLimitKB : static_cast<std::int32_t>(kib);
}

std::int32_t GetFolderSizeKB(platform::FileSystem& files, std::string_view folder) {
  if (folder.empty() || !files.folderExists(folder)) return -1;

  // The full 64-bit sizes: a 32-bit byte total wraps at 4 GiB and would
  // record a large installation as a small one.
  std::uint64_t total = 0;
  std::queue<std::string> pending;
  pending.emplace(folder);
  while (!pending.empty()) {
    std::string current = std::move(pending.front());
    pending.pop();
    AddTrailingBackslash(current);
    for (const platform::DirectoryEntry& entry : files.listDirectory(current + "*.*")) {
      if ((entry.attributes & win::kAttributeDirectory) == 0) {
        total = saturatingAdd(total, entry.size);
        continue;
      }
      if (entry.name == "." || entry.name == "..") continue;
      // Junctions and symbolic links lead elsewhere in the tree or outside it.
      if (entry.attributes & win::kAttributeReparsePoint) continue;
      pending.push(current + entry.name);
    }
  }
  return WholeKibCapped(total);
}

}  // namespace nimbra
