// Temporary files that a run cut short (a crash, a power failure) left beside
// the target: removed by the next run, but only where they provably hold
// nothing that the installer could not write again.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "platform/files.h"

namespace nimbra {

// Deletes each file of folder whose name is a temporary name of targetName
// (IsTemporaryNameOf) and whose bytes are what a run of an installer of that
// pack writes there: a pack (its first four bytes are carried's, the magic
// every pack begins with), or, shorter than that, a prefix of carried. An
// earlier run's version waiting for the next restart of Windows is such a
// pack, perhaps of another version: without it the restart replaces nothing,
// and this run's own outcome stands. A folder, a link, a file held by another
// process, or one with any other content is left as it is. Each file is
// checked and deleted through one handle, never by name.
void RemoveStaleTemporaries(platform::Folder& folder, std::string_view targetName, std::span<const std::byte> carried);

}  // namespace nimbra
