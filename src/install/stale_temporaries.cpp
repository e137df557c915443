#include "install/stale_temporaries.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "install/temporary_file.h"
#include "platform/codes.h"

namespace nimbra {

namespace {

constexpr std::uint32_t kNotAPlainFile = win::kAttributeDirectory | win::kAttributeReparsePoint;

// Reads the file through and compares it with the start of carried.
bool holdsAPrefixOf(platform::File& file, std::span<const std::byte> carried) {
  std::vector<std::byte> block(64 * 1024);
  for (std::size_t at = 0;;) {
    std::optional<std::size_t> got = file.read(block);
    if (!got) return false;
    if (*got == 0) return true;
    if (*got > carried.size() - at || !std::equal(block.begin(), block.begin() + *got, carried.begin() + at))
      return false;
    at += *got;
  }
}

}  // namespace

void RemoveStaleTemporaries(platform::Folder& folder, std::string_view targetName, std::span<const std::byte> carried) {
  for (const platform::DirectoryEntry& entry : folder.list(std::numeric_limits<std::size_t>::max())) {
    if ((entry.attributes & kNotAPlainFile) != 0 || entry.size > carried.size()) continue;
    if (!IsTemporaryNameOf(entry.name, targetName)) continue;
    // Opened with no sharing, so nothing changes it while it is read; a name
    // swapped for a link since the listing is refused by the open.
    platform::OpenedFile opened =
        folder.openFile(entry.name, platform::FileAccess::Read, win::kShareNone, platform::FileCreation::OpenExisting);
    if (opened.file && holdsAPrefixOf(*opened.file, carried)) opened.file->discard();
  }
}

}  // namespace nimbra
