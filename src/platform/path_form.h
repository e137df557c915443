// The forms of path that the installer takes for a folder of Nimbra or a file
// the user names, and of the names it joins to a folder.
#pragma once

#include <array>
#include <string_view>

#include "text/ascii_case.h"

namespace nimbra::platform {

constexpr bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

// "X:\..." (a drive letter) or "\\server\share..." (a share), either slash.
// Every other form is refused: "\\?\" and "\\.\" and "\??\" reach the
// object manager's names (devices, links of any user) without any junction,
// and a relative path depends on the current folder, which for an elevated
// program is System32 or one the user chose. The shares "pipe" and
// "mailslot" of any server are no disk shares but those of named pipes and
// mailslots, whose other end (a program of any user) would see who opened it.
inline bool IsDriveOrSharePath(std::string_view path) {
  if (path.size() < 3) return false;
  const char letter = static_cast<char>(path[0] | 0x20);
  if (letter >= 'a' && letter <= 'z' && path[1] == ':') return IsPathSeparator(path[2]);
  if (!IsPathSeparator(path[0]) || !IsPathSeparator(path[1]) || IsPathSeparator(path[2]) || path[2] == '?' ||
      path[2] == '.')
    return false;
  const std::size_t server = path.find_first_of("\\/", 2);
  if (server == std::string_view::npos) return true;
  const std::string_view share = path.substr(server + 1, path.find_first_of("\\/", server + 1) - server - 1);
  return !EqualIgnoringAsciiCase(share, "pipe") && !EqualIgnoringAsciiCase(share, "mailslot");
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

// A name that Windows takes for a device in any folder: con, prn, aux, nul,
// com1 to com9, lpt1 to lpt9 (also with the superscript digits of the ANSI
// code page), conin$ and conout$, whatever extension follows and with blanks
// before it ("nul .log" is the device nul too).
inline bool IsDeviceName(std::string_view name) {
  std::string_view base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  constexpr std::array<std::string_view, 6> kDevices = {"con", "prn", "aux", "nul", "conin$", "conout$"};
  for (std::string_view device : kDevices)
    if (EqualIgnoringAsciiCase(base, device)) return true;
  if (base.size() != 4 || (!EqualIgnoringAsciiCase(base.substr(0, 3), "com") &&
                           !EqualIgnoringAsciiCase(base.substr(0, 3), "lpt")))
    return false;
  const char digit = base[3];
  return (digit >= '0' && digit <= '9') || digit == '\xB9' || digit == '\xB2' || digit == '\xB3';
}

// A file that the user names for the installer to open, e.g. a log: a drive
// or share path whose last part is a single name and no device, and with no
// stream (":") after the drive's own colon.
inline bool IsDriveOrShareFilePath(std::string_view path) {
  if (!IsDriveOrSharePath(path) || path.find(':', 2) != std::string_view::npos) return false;
  const std::size_t last = path.find_last_of("\\/");
  const std::string_view name = path.substr(last + 1);
  return IsSingleName(name) && !IsDeviceName(name);
}

}  // namespace nimbra::platform
