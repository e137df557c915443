// Facts about the system and the process: version records, processor,
// metrics, locale, the system directory, code pages, rights and the command
// line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/box_text.h"

namespace nimbra::platform {

// The fields of OSVERSIONINFO(EX)A that the core uses. suiteMask and
// productType are zero in a basic record.
struct VersionRecord {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;  // the whole dwBuildNumber field
  std::uint32_t platformId = 0;
  std::string servicePack;  // szCSDVersion, up to its NUL
  std::uint16_t suiteMask = 0;
  std::uint8_t productType = 0;
};

class SystemInfo {
 public:
  virtual ~SystemInfo() = default;
  // GetVersionExA with an OSVERSIONINFOEXA (extended) or an OSVERSIONINFOA record;
  // nullopt when the system refuses that record.
  virtual std::optional<VersionRecord> versionRecord(bool extended) = 0;
  // wProcessorArchitecture of GetNativeSystemInfo when kernel32 exports it, else of GetSystemInfo.
  virtual std::uint16_t processorArchitecture() = 0;
  // GetSystemMetrics(index): 0 for a metric the system does not know.
  virtual int systemMetric(int index) = 0;
  // The user's locale (GetUserDefaultLCID), not the system's.
  virtual std::uint32_t userDefaultLcid() = 0;
  // GetSystemDirectoryA without a trailing backslash; "" when it fails.
  virtual std::string systemDirectory() = 0;
  // OemToCharA: the same number of bytes, from the OEM to the ANSI code page.
  virtual std::string oemToAnsi(std::string_view text) = 0;
  // The text as UTF-8, each piece read in its own code page.
  virtual std::string utf8Of(const BoxText& text) = 0;
  // IsUserAnAdmin() != 0.
  virtual bool isUserAnAdmin() = 0;
  // Whether the process token is elevated (TokenElevation). A system that
  // has no elevation (before Vista) says no; a token that cannot be asked
  // counts as elevated, the safe answer.
  virtual bool processIsElevated() = 0;
  // The whole command line, program path included (GetCommandLineA).
  virtual std::string commandLine() = 0;
  // 32 bits from the system's cryptographic random source (RtlGenRandom);
  // nullopt where the system has none.
  virtual std::optional<std::uint32_t> cryptoRandom() = 0;
};

}  // namespace nimbra::platform
