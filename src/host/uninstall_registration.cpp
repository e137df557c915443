#include "host/uninstall_registration.h"

#include "host/folder_size.h"

namespace nimbra {

namespace {

// The entry is created when absent, so that a Nimbra registered only in the
// 32-bit view still gets its values in the native one.
CurrentKeyScope UseUninstallEntry(const Settings& settings, SharedRegistry& registry) {
  return registry.useKey(platform::RegistryRoot::LocalMachine, settings.uninstallKeyPrefix + settings.productKey,
                         /*canCreate=*/true);
}

}  // namespace

SizeRecord RecordInstallationSize(platform::Platform& platform, const Settings& settings, SharedRegistry& registry,
                                  platform::Folder& installation) {
  auto entry = UseUninstallEntry(settings, registry);
  if (!entry) return {};
  const FolderSize size = GetFolderSizeKB(installation, platform.clock);
  const auto kib = static_cast<std::uint32_t>(size.kib);
  if (size.walk != FolderWalk::Measured || !registry.writeDword("EstimatedSize", kib)) return {std::nullopt, size.walk};
  return {kib, size.walk};
}

std::string PackVersionValueName(std::string_view packFileName) { return std::string(packFileName) + " version"; }

bool RecordPackVersion(const Settings& settings, SharedRegistry& registry, std::string_view packFileName,
                       std::int32_t version) {
  auto entry = UseUninstallEntry(settings, registry);
  return entry && registry.writeDword(PackVersionValueName(packFileName), static_cast<std::uint32_t>(version));
}

}  // namespace nimbra
