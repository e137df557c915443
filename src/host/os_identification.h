// Operating system identification: names the running system once at start-up
// and derives the 64-bit flag, which picks the registry view of the process.
#pragma once

#include <optional>
#include <string>

#include "host/os_facts.h"
#include "host/os_naming.h"
#include "platform/platform.h"

namespace nimbra {

// The facts that the naming needs, read through the platform: the extended
// version record, else the basic one (nullopt when both are refused), the
// native processor architecture and, for version 5 only, the system metrics.
std::optional<OsFacts> GatherOsFacts(platform::SystemInfo& system);

// The costly facts, read only when asked: "ver" through RunConsoleCommand,
// and registry values read straight
// from the platform registry with their own access masks, since the shared
// registry object does not exist yet. Every key is closed before a call returns.
class PlatformOsQueries : public OsQueries {
 public:
  explicit PlatformOsQueries(platform::Platform& platform) : platform_(platform) {}

  std::string verOutput() override;
  std::optional<std::string> productName() override;
  std::optional<std::string> productOptionsType() override;
  bool hasHotfixQ246009() override;

 private:
  platform::Platform& platform_;
};

// The name and the service-pack text; nullopt when the system gives no version
// record or is neither Windows 9x nor NT. Starts at most one child process.
std::optional<OsName> GetOperatingSystemName(platform::Platform& platform);

// The composed name ("unknown" when it cannot be built). Sets is64Bit to
// whether that name contains " 64"; leaves it as it was when the name is "unknown".
std::string IdentifyOperatingSystem(platform::Platform& platform, bool& is64Bit);

}  // namespace nimbra
