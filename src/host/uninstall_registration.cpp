#include "host/uninstall_registration.h"

#include <string>

#include "host/folder_size.h"

namespace nimbra {

bool RecordInstallationSize(platform::Platform& platform, const Settings& settings, SharedRegistry& registry) {
  // The entry is created when absent, so that a Nimbra registered only in the
  // 32-bit view still gets its size in the native one.
  auto entry = registry.useKey(platform::RegistryRoot::LocalMachine,
                               settings.uninstallKeyPrefix + settings.productKey, /*canCreate=*/true);
  if (!entry) return false;
  std::int32_t size = GetFolderSizeKB(platform.files, settings.installationFolder);
  if (size == -1) return false;
  return registry.writeDword("EstimatedSize", static_cast<std::uint32_t>(size));
}

}  // namespace nimbra
