// The forms of path that the installer takes for a folder of Nimbra.
#pragma once

#include <string_view>

namespace nimbra::platform {

// "X:\..." (a drive letter) or "\\server\share..." (a share), either slash.
// Every other form is refused: "\\?\" and "\\.\" and "\??\" reach the
// object manager's names (devices, links of any user) without any junction,
// and a relative path depends on the current folder, which for an elevated
// program is System32 or one the user chose.
inline bool IsDriveOrSharePath(std::string_view path) {
  const auto separator = [](char c) { return c == '\\' || c == '/'; };
  if (path.size() < 3) return false;
  const char letter = static_cast<char>(path[0] | 0x20);
  if (letter >= 'a' && letter <= 'z' && path[1] == ':') return separator(path[2]);
  return separator(path[0]) && separator(path[1]) && !separator(path[2]) && path[2] != '?' && path[2] != '.';
}

}  // namespace nimbra::platform
