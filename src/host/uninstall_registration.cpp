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

std::optional<std::uint32_t> RecordInstallationSize(platform::Platform& platform, const Settings& settings,
                                                    SharedRegistry& registry) {
  auto entry = UseUninstallEntry(settings, registry);
  if (!entry) return std::nullopt;
  std::int32_t size = GetFolderSizeKB(platform.files, settings.installationFolder);
  if (size == -1 || !registry.writeDword("EstimatedSize", static_cast<std::uint32_t>(size))) return std::nullopt;
  return static_cast<std::uint32_t>(size);
}

std::string PackVersionValueName(std::string_view packFileName) { return std::string(packFileName) + " version"; }

bool RecordPackVersion(const Settings& settings, SharedRegistry& registry, std::string_view packFileName,
                       std::int32_t version) {
  auto entry = UseUninstallEntry(settings, registry);
  return entry && registry.writeDword(PackVersionValueName(packFileName), static_cast<std::uint32_t>(version));
}

}  // namespace nimbra
