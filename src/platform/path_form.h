// The forms of path that the installer takes for a folder of Nimbra, and of
// the names it joins to a folder.
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

// One name within a folder, as a listing gives it: not empty, not "." or
// "..", and without a separator or a colon. A listing in the ANSI code page
// turns some Unicode names into such bytes (the best fit of a fullwidth
// reverse solidus is a backslash, of a fullwidth full stop a dot), and joined
// to its folder a name like that would reach another folder, a parent or a
// stream.
inline bool IsSingleName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find_first_of("\\/:") == std::string_view::npos;
}

}  // namespace nimbra::platform
