// The registry through advapi32's *A functions.
#pragma once

#include "platform/registry.h"

namespace nimbra::win32 {

class Win32Registry final : public platform::Registry {
 public:
  platform::OpenedKey openKey(platform::RegistryRoot root, std::string_view path,
                              std::uint32_t access) override;
  platform::OpenedKey createKey(platform::RegistryRoot root, std::string_view path,
                                std::uint32_t access) override;
};

}  // namespace nimbra::win32
