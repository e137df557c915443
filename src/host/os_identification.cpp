#include "host/os_identification.h"

#include "host/os_console.h"
#include "host/shared_registry.h"
#include "platform/codes.h"

namespace nimbra {

namespace {

using platform::RegistryRoot;

constexpr std::string_view kCurrentVersionKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr std::string_view kProductOptionsKey = "SYSTEM\\CurrentControlSet\\Control\\ProductOptions";
constexpr std::string_view kHotfixQ246009Key = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009";
// The buffer that "ProductType" is read into; a longer value fails the read.
constexpr std::size_t kProductTypeBufferSize = 256;

bool isString(const platform::RegistryValue& value) {
  return value.type == win::kRegSz || value.type == win::kRegExpandSz;
}

}  // namespace

std::optional<OsFacts> GatherOsFacts(platform::SystemInfo& system) {
  OsFacts facts;
  if (auto extended = system.versionRecord(true)) {
    facts.version = *extended;
    facts.extendedRecord = true;
  } else if (auto basic = system.versionRecord(false)) {
    facts.version = *basic;
  } else {
    return std::nullopt;
  }
  facts.architecture = system.processorArchitecture();
  // Only the rows of version 5 (2000, XP, Server 2003) ask the metrics, and
  // asking loads user32, which a run on a later system may never need.
  if (facts.version.major == 5) {
    facts.serverR2 = system.systemMetric(win::kSmServerR2) != 0;
    facts.starter = system.systemMetric(win::kSmStarter) != 0;
    facts.mediaCenter = system.systemMetric(win::kSmMediaCenter) != 0;
    facts.tabletPc = system.systemMetric(win::kSmTabletPc) != 0;
  }
  return facts;
}

std::string PlatformOsQueries::verOutput() { return RunConsoleCommand(platform_, "ver"); }

std::optional<std::string> PlatformOsQueries::productName() {
  // The 64-bit view: a 32-bit program under WoW64 would otherwise read the
  // redirected copy of the key.
  auto opened = platform_.registry.openKey(RegistryRoot::LocalMachine, kCurrentVersionKey,
                                           win::kKeyAllAccess | win::kKeyWow64_64Key);
  if (!opened.key) return std::nullopt;
  auto value = opened.key->queryValue("ProductName");
  // A value of another type keeps the name built so far.
  if (!value || !isString(*value)) return std::nullopt;
  return registryStringText(value->data);
}

std::optional<std::string> PlatformOsQueries::productOptionsType() {
  auto opened = platform_.registry.openKey(RegistryRoot::LocalMachine, kProductOptionsKey, win::kKeyQueryValue);
  if (!opened.key) return std::nullopt;
  auto value = opened.key->queryValue("ProductType");
  if (!value || value->type != win::kRegSz || value->data.size() > kProductTypeBufferSize) return std::nullopt;
  return registryStringText(value->data);
}

bool PlatformOsQueries::hasHotfixQ246009() {
  return platform_.registry.openKey(RegistryRoot::LocalMachine, kHotfixQ246009Key, win::kKeyQueryValue).key != nullptr;
}

std::optional<OsName> GetOperatingSystemName(platform::Platform& platform) {
  auto facts = GatherOsFacts(platform.system);
  if (!facts) return std::nullopt;
  PlatformOsQueries queries(platform);
  return NameOperatingSystem(*facts, queries);
}

std::string IdentifyOperatingSystem(platform::Platform& platform, bool& is64Bit) {
  auto name = GetOperatingSystemName(platform);
  if (!name) return "unknown";
  std::string result = ComposeOperatingSystemName(*name);
  is64Bit = NameSays64Bit(result);
  return result;
}

}  // namespace nimbra
