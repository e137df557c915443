#include "host/product_key.h"

#include <string>

namespace nimbra {

void OpenProductKey(SharedRegistry& registry, const Settings& settings) {
  registry.setRoot(platform::RegistryRoot::CurrentUser);
  registry.openKey(std::string(kVendorKeyPrefix) + settings.productKey, /*canCreate=*/true);
}

}  // namespace nimbra
