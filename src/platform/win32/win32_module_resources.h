// The resources of the running executable (not of any DLL).
#pragma once

#include "platform/module_resources.h"

namespace nimbra::win32 {

class Win32ModuleResources final : public platform::ModuleResources {
 public:
  std::optional<std::span<const std::byte>> find(std::string_view name,
                                                 std::string_view type) override;
};

}  // namespace nimbra::win32
