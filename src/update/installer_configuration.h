// What this installer carries. The entry fixes it from the build's options
// (NIMBRA_PACK_KEY, NIMBRA_PACK_FILE, NIMBRA_PACK_VERSION); it never changes
// afterwards. The defaults are those options' defaults, for the tests.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace nimbra {

struct InstallerConfiguration {
  std::string packKey = "crickets";       // catalogue key of the pack's display name
  std::string packFileName = "dwix.cok";  // base name = resource name, extension = resource type
  std::int32_t packVersion = 6;
  std::string installerVersion = NIMBRA_INSTALLER_VERSION;  // the project's version, for the log
  // Whether the carried pack is checked against the build's record of it;
  // false only in the benchmark's build that measures what the check costs.
  bool checkCarriedPack = true;
};

// The carried resource that the pack file name stands for.
struct PackResource {
  std::string name;  // the base name: up to the last dot ("dwix"), the whole name without one
  std::string type;  // the extension without its dot ("cok"); empty without one
};

inline PackResource PackResourceOf(std::string_view packFileName) {
  const auto dot = packFileName.rfind('.');
  if (dot == std::string_view::npos) return {std::string(packFileName), {}};
  return {std::string(packFileName.substr(0, dot)), std::string(packFileName.substr(dot + 1))};
}

}  // namespace nimbra
