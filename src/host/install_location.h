// Where Nimbra is installed, which key holds its uninstall entry, whether the
// user is an administrator and whether the per-user registry can be read;
// found once at the start of the update run.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "host/folder_path.h"
#include "host/settings.h"
#include "host/shared_registry.h"
#include "platform/platform.h"

namespace nimbra {

// Sets settings.isAdministrator, settings.uninstallKeyPrefix (system key base
// + "Uninstall\") and settings.installationFolder (ending with a backslash):
// the folder of the uninstall entry's "UninstallString" in the registry view
// of the shared registry, else of its WOW6432Node twin, else the
// "ProgramFilesDir" folder + product key (just the product key + "\" when
// that value is missing). settings.productKey must be set. A key that cannot
// be opened, or a value that is not a string, counts as absent.
//
// Returns false when a per-user Shell Folders value ("Programs", "Desktop",
// "Startup") cannot be read as a string: the user has then been shown "No
// access to system registry", and the prefix and the folder are left as they
// were. Leaves no key of the shared registry open.
bool FindInstallLocations(platform::Platform& platform, Settings& settings, SharedRegistry& registry);

// Where FindInstallLocations took the installation folder from.
enum class FolderSource {
  UninstallEntry,         // "UninstallString" in the shared registry's view
  UninstallEntry32,       // the same in the WOW6432Node twin
  ProgramFiles,           // "ProgramFilesDir" + product key
};

// The same, telling where the folder came from (set only on success).
bool FindInstallLocations(platform::Platform& platform, Settings& settings, SharedRegistry& registry,
                          FolderSource& source);

// The installation folder named by an "UninstallString": the text up to and
// including its last backslash that stands before its final character. A
// value that begins with a quotation mark is first reduced to the text
// between it and the closing quotation mark (the whole rest when there is
// none), which drops the marks and any arguments after them. nullopt when
// there is no such backslash (an empty value included).
std::optional<std::string> UninstallStringFolder(std::string_view value);

// The 32-bit-view twin of an HKLM path: "WOW6432Node\" inserted after its
// first backslash. A path without a backslash is returned unchanged.
std::string Wow6432NodePath(std::string_view path);

}  // namespace nimbra
