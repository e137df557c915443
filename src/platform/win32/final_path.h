// Where an open file or folder really is, whatever links the path to it took.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace nimbra::win32 {

// GetFinalPathNameByHandleA with "\\?\" or "\\?\UNC\" made plain: "C:\..." or
// "\\server\share\...", without a trailing separator but a drive root's. An
// empty text when the system cannot name it with a drive letter or a share
// (an object-manager name, a device); nullopt where the call is missing
// (before Vista).
std::optional<std::string> FinalPath(HANDLE file);

// path as Windows resolves it without looking at the disk ("." and ".."
// gone, '/' made '\'), then with its short (8.3) names made long where the
// system can say, and without a trailing separator but a drive root's: the
// form FinalPath gives. nullopt when it cannot be made full.
std::optional<std::string> LongFullPath(const std::string& path);

// Whether what `handle` holds is at path itself, not reached through a link
// or a junction on the way; true where the system cannot say.
bool IsAtPath(HANDLE handle, const std::string& path);

}  // namespace nimbra::win32
