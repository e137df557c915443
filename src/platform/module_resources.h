// The running executable's own resources, as views of the loaded image: nothing is copied.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

namespace nimbra::platform {

class ModuleResources {
 public:
  virtual ~ModuleResources() = default;
  // FindResourceA / LoadResource / LockResource / SizeofResource on the running module;
  // name and type are looked up as strings, letter case ignored, whatever the language.
  // The view stays valid for the life of the process. nullopt when there is no such resource.
  virtual std::optional<std::span<const std::byte>> find(std::string_view name, std::string_view type) = 0;
};

}  // namespace nimbra::platform
