// The version of the pack that is already installed, read from its header:
// the bytes "dwix" and then one byte holding the version + 32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "host/settings.h"
#include "lang/catalogue.h"
#include "platform/platform.h"

namespace nimbra {

inline constexpr std::size_t kPackHeaderSize = 5;  // 4 magic bytes, not checked, and the version byte
inline constexpr std::int32_t kPackVersionBias = 32;

// The installed version from the first bytes of a pack file: the byte at
// offset 4 minus 32, from -32 to 223. Fewer than five bytes read as -32.
std::int32_t PackVersionFromHeader(std::span<const std::byte> firstBytes);

// The carried pack counts as older only when the installed one is strictly newer.
constexpr bool CarriedPackIsOlder(std::int32_t installedVersion, std::int32_t carriedVersion) {
  return installedVersion > carriedVersion;
}

struct PackPeek {
  std::optional<std::int32_t> version;  // nullopt when the file could not be opened
  std::uint32_t error = 0;              // the open's Win32 error then (2: no pack installed)
};

// Reads the installed version of the pack `name` of folder, whose full path
// is packPath. The file is opened with no sharing, up to 17 times with a
// 256 ms sleep after each failure, so this also waits for a Nimbra that is
// closing the pack. When every attempt fails, shows all lines of the
// catalogue's "filecantopen" with %1 = packPath through ShowCatalogueMessage
// and returns no version, with the last attempt's error. Nothing stays open
// and nothing is written.
PackPeek ProbeInstalledPackVersion(const platform::Platform& platform, const Settings& settings,
                                   MessageCatalogue& catalogue, platform::Folder& folder, std::string_view name,
                                   std::string_view packPath);

// The installed version for a log, where the run itself does not probe: one
// open that shares everything, so that it neither waits nor keeps anyone out.
PackPeek PeekInstalledPackVersion(platform::Folder& folder, std::string_view name);

}  // namespace nimbra
