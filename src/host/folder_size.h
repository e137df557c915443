// The size of a folder tree, recorded as "EstimatedSize" in the uninstall entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/clock.h"
#include "platform/files.h"

namespace nimbra {

inline constexpr std::int32_t kFolderSizeLimitKB = 2147483647;
// A walk gives up past these: a folder such as "C:\" must not hold an update
// for minutes for a figure that only informs the list of installed programs.
inline constexpr std::size_t kFolderWalkEntryLimit = 100000;
inline constexpr std::uint32_t kFolderWalkTimeLimitMs = 10000;

// Whole KiB of a byte total (remainder dropped), capped at kFolderSizeLimitKB.
std::int32_t WholeKibCapped(std::uint64_t bytes);

enum class FolderWalk {
  Measured,
  NoFolder,        // not measured: no folder to walk
  TooManyEntries,  // more than kFolderWalkEntryLimit entries
  TooLong,         // still walking after kFolderWalkTimeLimitMs
};

struct FolderSize {
  FolderWalk walk = FolderWalk::NoFolder;
  std::int32_t kib = -1;  // -1 unless measured
};

// The full sizes of all files in root and every folder below it, in whole
// KiB, capped at kFolderSizeLimitKB. Hidden and system entries count. Each
// folder is opened through its parent's handle and listed by its own, so a
// link or junction re-pointed meanwhile leads nowhere; a link (any reparse
// point) is never entered, so nothing outside the tree counts and no link
// loops. A folder that cannot be opened or listed contributes nothing. Time
// is read from clock.
FolderSize GetFolderSizeKB(platform::Folder& root, platform::Clock& clock);

}  // namespace nimbra
