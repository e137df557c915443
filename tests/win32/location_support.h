// Set-up for the installation-location tests under Wine: uninstall entries of
// a product key of the test's own, written and read with Win32 directly in a
// chosen registry view, and Unix symbolic links for folder loops.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace nimbra::win32::testing {

inline constexpr const char* kUninstallPrefix = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
inline constexpr const char* kWowUninstallPrefix =
    "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// "NimbraTest.<test name>": the installer's own entry "Nimbra" is never touched,
// and no two tests share an entry.
std::string productKeyForTest();

// Deletes HKLM\<prefix><productKey> with its subkeys, in the 64-bit view
// (where both prefixes are plain paths).
void deleteUninstallEntry(const std::string& prefix, const std::string& productKey);

// A REG_SZ written into HKLM\path in the given view (KEY_WOW64_64KEY or KEY_WOW64_32KEY).
void setMachineString(const std::string& path, REGSAM view, const char* name, std::string_view text);
// The value's type and bytes read from HKLM\path in the given view; nullopt when absent.
struct RawValue {
  DWORD type = 0;
  std::string data;
};
std::optional<RawValue> readMachineValue(const std::string& path, REGSAM view, const char* name);

// What a command prints to its standard output (run hidden, waited for up to 30 s).
std::string runCapturingOutput(const std::string& commandLine);

// Makes a Unix symbolic link at the Windows path link, pointing to target (a
// Unix path, relative to the link's folder when it does not begin with '/').
// Wine reports such a link to a folder as a directory reparse point. False
// when it could not be made.
bool makeUnixSymlink(const std::string& target, const std::string& link);
// Removes a link made by makeUnixSymlink (never what it points to).
void removeUnixSymlink(const std::string& link);

}  // namespace nimbra::win32::testing
