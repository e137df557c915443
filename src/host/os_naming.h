// The operating system's name as a pure function of gathered facts. The
// spacing of the words is part of the contract: the 64-bit flag is a text
// test on the result.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "host/os_facts.h"

namespace nimbra {

struct OsName {
  std::string name;         // e.g. "Microsoft Windows XP Professional"
  std::string servicePack;  // the record's text, or "Service Pack 6a" for NT 4 with Q246009
};

// The naming tree: Windows 9x by version and build, the NT family by version
// words, then edition words. Asks `queries` only in the branches that need a
// fact, and for "ver" at most once: not at all when a "ProductName" that
// replaces the whole name was read. nullopt when the platform id is neither
// 1 (9x) nor 2 (NT).
std::optional<OsName> NameOperatingSystem(const OsFacts& facts, OsQueries& queries);

// The words appended when "ver" decides the version but says nothing known:
// "Server " unless a workstation, then one space and the output from four
// characters past its first "ion" up to the output's first ".".
std::string VerFallbackWords(std::string_view verOutput, bool workstation);

// The name, then one space and the service-pack text unless that text is
// nothing but bytes 0x00-0x20.
std::string ComposeOperatingSystemName(const OsName& name);

// The 64-bit flag: whether the composed name contains " 64".
bool NameSays64Bit(std::string_view composedName);

}  // namespace nimbra
