#include "platform/win32/win32_module_resources.h"

#include <windows.h>

#include "platform/win32/c_string.h"

namespace nimbra::win32 {

std::optional<std::span<const std::byte>> Win32ModuleResources::find(std::string_view name,
                                                                     std::string_view type) {
  const HMODULE module = ::GetModuleHandleA(nullptr);
  // String names and types: the system compares them without regard to letter case.
  const HRSRC resource = ::FindResourceA(module, cString(name).c_str(), cString(type).c_str());
  if (resource == nullptr) return std::nullopt;
  // A loaded resource of the executable is part of its image: it needs no freeing
  // and stays mapped until the process ends.
  const HGLOBAL loaded = ::LoadResource(module, resource);
  if (loaded == nullptr) return std::nullopt;
  const void* bytes = ::LockResource(loaded);
  if (bytes == nullptr) return std::nullopt;
  const DWORD size = ::SizeofResource(module, resource);
  return std::span<const std::byte>(static_cast<const std::byte*>(bytes), size);
}

}  // namespace nimbra::win32
