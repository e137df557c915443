#include "host/product_key.h"

#include <string>

namespace nimbra {

CurrentKeyScope OpenProductKey(SharedRegistry& registry, const Settings& settings) {
  return registry.useKey(platform::RegistryRoot::CurrentUser, std::string(kVendorKeyPrefix) + settings.productKey,
                         /*canCreate=*/true);
}

}  // namespace nimbra
