// What the update run records in Nimbra's uninstall entry once the pack is in
// place: the installation's size, and the carried pack's version for the
// detection rules of deployment tools.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "host/folder_size.h"
#include "host/settings.h"
#include "host/shared_registry.h"
#include "platform/platform.h"

namespace nimbra {

struct SizeRecord {
  std::optional<std::uint32_t> written;  // the size written; nullopt when none was
  FolderWalk walk = FolderWalk::NoFolder;  // how the measure went, when it was taken
};

// Opens HKLM\<uninstall key prefix><product key> with creation (always this
// path, never its WOW6432Node twin, in the view of the shared registry),
// measures the installation folder, held open, with GetFolderSizeKB and,
// when it was measured, writes it as the REG_DWORD "EstimatedSize" in KiB.
// Reports nothing. Leaves no key open.
SizeRecord RecordInstallationSize(platform::Platform& platform, const Settings& settings, SharedRegistry& registry,
                                  platform::Folder& installation);

// The name of the detection value: the pack file name, a blank, "version" ("dwix.cok version").
std::string PackVersionValueName(std::string_view packFileName);

// Writes the REG_DWORD PackVersionValueName(packFileName) = version into the
// same key and view as "EstimatedSize", creating the key when absent. True
// when it was written. Leaves no key open.
bool RecordPackVersion(const Settings& settings, SharedRegistry& registry, std::string_view packFileName,
                       std::int32_t version);

}  // namespace nimbra
