// The installer's exit codes: those of the Windows Installer, which deployment
// tools (Intune, Configuration Manager, winget) understand without being told.
// Several outcomes share 1603 ("any other failure"); the log tells them apart.
// A value is never given another meaning.
#pragma once

namespace nimbra {

enum class ExitCode : int {
  Installed = 0,            // ERROR_SUCCESS: the pack was installed
  NotAdministrator = 740,   // ERROR_ELEVATION_REQUIRED: no administrator rights
  Declined = 1602,          // ERROR_INSTALL_USEREXIT: "olderfilever" or "installask" answered No
  Failed = 1603,            // ERROR_INSTALL_FAILURE: registry, language files, the write, anything unexpected
  NotInstalled = 1605,      // ERROR_UNKNOWN_PRODUCT: no "nimbra.exe" in the installation folder
  PackInUse = 1618,         // ERROR_INSTALL_ALREADY_RUNNING: another process holds the pack; retry later
  InstallerDamaged = 1620,  // ERROR_INSTALL_PACKAGE_INVALID: the carried pack failed its check; nothing written
};

}  // namespace nimbra
