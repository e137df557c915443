#include "host/uninstall_registration.h"

#include <string>

#include "host/folder_size.h"

namespace nimbra {

bool RecordInstallationSize(platform::Platform& platform, const Settings& settings, SharedRegistry& registry) {
  registry.setRoot(platform::RegistryRoot::LocalMachine);
  CurrentKeyScope scope(registry);
  // The entry is created when absent, so that a Nimbra registered only in the
  // 32-bit view still gets its size in the native one.
  if (!registry.openKey(settings.uninstallKeyPrefix + settings.productKey, /*canCreate=*/true)) return false;
  std::int32_t size = GetFolderSizeKB(platform.files, settings.installationFolder);
  if (size == -1) return false;
  return registry.writeDword("EstimatedSize", static_cast<std::uint32_t>(size));
}

}  // namespace nimbra
