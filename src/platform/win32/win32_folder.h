// Folders of the real platform, held open by a handle (FileSystem::openFolder).
#pragma once

#include <string_view>

#include "platform/files.h"

namespace nimbra::win32 {

// Opens the folder at path, a drive or share path, and holds it: shared for
// reading and writing, not for deletion, so that no one renames or deletes it
// meanwhile. Refused (ERROR_CANT_ACCESS_FILE) when path has another form, is
// itself a link or a junction, or ends at no folder of a drive or share.
platform::OpenedFolder OpenFolderAt(std::string_view path);

}  // namespace nimbra::win32
