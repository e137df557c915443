// What this installer carries. The entry fixes it; it never changes afterwards.
#pragma once

#include <cstdint>
#include <string>

namespace nimbra {

struct InstallerConfiguration {
  std::string packKey = "crickets";       // catalogue key of the pack's display name
  std::string packFileName = "dwix.cok";  // base name = resource name, extension = resource type
  std::int32_t packVersion = 6;
};

}  // namespace nimbra
