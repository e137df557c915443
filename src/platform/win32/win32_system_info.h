// System and process facts through kernel32, advapi32 and user32; user32 is
// loaded on the first call that needs it (system metrics, OEM-to-ANSI).
#pragma once

#include "platform/system_info.h"
#include "platform/win32/system_library.h"

namespace nimbra::win32 {

class Win32SystemInfo final : public platform::SystemInfo {
 public:
  std::optional<platform::VersionRecord> versionRecord(bool extended) override;
  std::uint16_t processorArchitecture() override;
  int systemMetric(int index) override;
  std::uint32_t userDefaultLcid() override;
  std::string systemDirectory() override;
  std::string oemToAnsi(std::string_view text) override;
  std::string utf8Of(const platform::BoxText& text) override;
  bool isUserAnAdmin() override;
  bool processIsElevated() override;
  std::string commandLine() override;
  std::optional<std::uint32_t> cryptoRandom() override;

 private:
  OnDemandLibrary user32_{"user32.dll"};
};

}  // namespace nimbra::win32
