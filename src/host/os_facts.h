// What the operating system naming decides on: the facts gathered once per
// identification, and the costly ones (a child process, registry reads)
// behind an interface so that only the branches that name them ask for them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/system_info.h"

namespace nimbra {

struct OsFacts {
  platform::VersionRecord version;  // extended when extendedRecord, else basic
  bool extendedRecord = false;
  std::uint16_t architecture = 0;  // native processor architecture
  // System metrics, non-zero meaning yes.
  bool serverR2 = false;     // SM_SERVERR2
  bool starter = false;      // SM_STARTER
  bool mediaCenter = false;  // SM_MEDIACENTER
  bool tabletPc = false;     // SM_TABLETPC
};

class OsQueries {
 public:
  virtual ~OsQueries() = default;
  // The console output of "ver", in the ANSI code page.
  virtual std::string verOutput() = 0;
  // "ProductName" of HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion in the
  // 64-bit view; nullopt when the key or the value is missing or the value is
  // not a string.
  virtual std::optional<std::string> productName() = 0;
  // "ProductType" of HKLM\SYSTEM\CurrentControlSet\Control\ProductOptions when
  // it is a REG_SZ that fits 256 bytes; nullopt otherwise.
  virtual std::optional<std::string> productOptionsType() = 0;
  // Whether HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Hotfix\Q246009 opens.
  virtual bool hasHotfixQ246009() = 0;
};

}  // namespace nimbra
