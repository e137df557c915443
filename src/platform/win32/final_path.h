// Where an open file or folder really is, whatever links the path to it took.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace nimbra::win32 {

// GetFinalPathNameByHandleA with "\\?\" or "\\?\UNC\" made plain: "C:\..." or
// "\\server\share\...". An empty text when the system cannot name it with a
// drive letter or a share (an object-manager name, a device); nullopt where
// the call is missing (before Vista).
std::optional<std::string> FinalPath(HANDLE file);

}  // namespace nimbra::win32
