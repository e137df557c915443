// The size of a folder tree, recorded as "EstimatedSize" in the uninstall entry.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/files.h"

namespace nimbra {

inline constexpr std::int32_t kFolderSizeLimitKB = 2147483647;

// Whole KiB of a byte total (remainder dropped), capped at kFolderSizeLimitKB.
std::int32_t WholeKibCapped(std::uint64_t bytes);

// The full sizes of all files in folder and every folder below it, in whole
// KiB, capped at kFolderSizeLimitKB; -1 when folder is empty or is not an
// existing folder. Hidden and system entries count. Folders are visited
// breadth-first, each once; a folder link (any reparse point) is not entered,
// so a link that points back up neither loops nor counts a tree twice. A
// folder that cannot be listed contributes nothing.
std::int32_t GetFolderSizeKB(platform::FileSystem& files, std::string_view folder);

}  // namespace nimbra
