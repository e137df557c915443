// The product's per-user key, HKEY_CURRENT_USER\Software\Tarvel\<product key>.
#pragma once

#include "host/settings.h"
#include "host/shared_registry.h"

namespace nimbra {

// Makes the product key the current key of the shared registry, creating it
// when absent, until the returned scope ends. Reports nothing: when it cannot
// be opened no key is current and the caller's reads find no values.
CurrentKeyScope OpenProductKey(SharedRegistry& registry, const Settings& settings);

}  // namespace nimbra
