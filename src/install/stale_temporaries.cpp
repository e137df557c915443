#include "install/stale_temporaries.h"

#include <algorithm>
#include <optional>
#include <string>

#include "install/temporary_file.h"
#include "platform/codes.h"

namespace nimbra {

namespace {

constexpr std::uint32_t kNotAPlainFile = win::kAttributeDirectory | win::kAttributeReparsePoint;

constexpr std::size_t kMagicSize = 4;

// Whether the file begins with carried's magic, or, being shorter, with the
// bytes it has of carried: at most kMagicSize bytes are read.
bool holdsAPackOrItsStart(platform::File& file, std::span<const std::byte> carried) {
  std::byte start[kMagicSize];
  std::size_t have = 0;
  while (have < kMagicSize) {
    std::optional<std::size_t> got = file.read(std::span(start).subspan(have));
    if (!got) return false;
    if (*got == 0) break;
    have += *got;
  }
  return have <= carried.size() && std::equal(start, start + have, carried.begin());
}

}  // namespace

void RemoveStaleTemporaries(platform::Folder& folder, std::string_view targetName, std::span<const std::byte> carried) {
  for (const platform::DirectoryEntry& entry : folder.list(platform::kListedEntryLimit)) {
    if ((entry.attributes & kNotAPlainFile) != 0) continue;
    if (!IsTemporaryNameOf(entry.name, targetName)) continue;
    // Opened with no sharing, so nothing changes it while it is read; a name
    // swapped for a link since the listing is refused by the open.
    platform::OpenedFile opened =
        folder.openFile(entry.name, platform::FileAccess::Read, win::kShareNone, platform::FileCreation::OpenExisting);
    if (opened.file && holdsAPackOrItsStart(*opened.file, carried)) opened.file->discard();
  }
}

}  // namespace nimbra
