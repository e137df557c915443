#include "install/stale_temporaries.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "install/temporary_file.h"
#include "platform/codes.h"

namespace nimbra {

namespace {

constexpr std::uint32_t kNotAPlainFile = win::kAttributeDirectory | win::kAttributeReparsePoint;

// Reads the file through and compares it with the start of carried. Opened
// with no sharing, so nothing changes it while it is read.
bool holdsAPrefixOf(platform::FileSystem& files, const std::string& path, std::span<const std::byte> carried) {
  auto opened = files.openFile(path, platform::FileAccess::Read, win::kShareNone, platform::FileCreation::OpenExisting);
  if (!opened.file) return false;
  std::vector<std::byte> block(64 * 1024);
  for (std::size_t at = 0;;) {
    std::optional<std::size_t> got = opened.file->read(block);
    if (!got) return false;
    if (*got == 0) return true;
    if (*got > carried.size() - at || !std::equal(block.begin(), block.begin() + *got, carried.begin() + at))
      return false;
    at += *got;
  }
}

}  // namespace

void RemoveStaleTemporaries(platform::FileSystem& files, std::string_view target, std::span<const std::byte> carried) {
  const std::size_t cut = target.find_last_of('\\') + 1;  // 0 when there is no folder
  const std::string folder(target.substr(0, cut));
  const std::string_view targetName = target.substr(cut);
  for (const platform::DirectoryEntry& entry : files.listDirectory(folder + std::string(targetName) + ".*.new")) {
    if ((entry.attributes & kNotAPlainFile) != 0 || entry.size > carried.size()) continue;
    // The listing also matches short 8.3 names: only the long name counts.
    if (!IsTemporaryNameOf(entry.name, targetName)) continue;
    const std::string path = folder + entry.name;
    // A swap of the name after the check can only make another file of
    // this very name go, in a folder where its owner could delete it anyway.
    if (holdsAPrefixOf(files, path, carried)) files.deleteFile(path);
  }
}

}  // namespace nimbra
