// The uninstall entry's record of the installation's size, written by the
// update run once the pack is in place.
#pragma once

#include "host/settings.h"
#include "host/shared_registry.h"
#include "platform/platform.h"

namespace nimbra {

// Opens HKLM\<uninstall key prefix><product key> with creation (always this
// path, never its WOW6432Node twin, in the view of the shared registry),
// measures the installation folder with GetFolderSizeKB and, unless that is
// -1, writes it as the REG_DWORD "EstimatedSize" in KiB. Reports nothing.
// Returns true when the value was written. Leaves no key open.
bool RecordInstallationSize(platform::Platform& platform, const Settings& settings, SharedRegistry& registry);

}  // namespace nimbra
