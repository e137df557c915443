// System and process facts through kernel32, user32 and shell32.
#pragma once

#include "platform/system_info.h"

namespace nimbra::win32 {

class Win32SystemInfo final : public platform::SystemInfo {
 public:
  std::optional<platform::VersionRecord> versionRecord(bool extended) override;
  std::uint16_t processorArchitecture() override;
  int systemMetric(int index) override;
  std::uint32_t userDefaultLcid() override;
  std::optional<std::string> environmentVariable(std::string_view name) override;
  std::string oemToAnsi(std::string_view text) override;
  std::string ansiToUtf8(std::string_view text) override;
  bool isUserAnAdmin() override;
  std::string commandLine() override;
};

}  // namespace nimbra::win32
