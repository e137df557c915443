// The registry, as the core sees it: keys opened by root and path with an
// access mask (which also selects the 32-bit or 64-bit view), raw values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace nimbra::platform {

enum class RegistryRoot : std::uint32_t {
  CurrentUser = 0x80000001u,
  LocalMachine = 0x80000002u,
};

// A value as RegQueryValueExA returns it: its type and its bytes, unchanged
// (a string value usually carries its terminating NUL).
struct RegistryValue {
  std::uint32_t type = 0;
  std::string data;
};

// The longest value the installer reads: far more than any folder, name or
// language file name it keeps there, and little enough that a value planted in
// the user's own keys cannot make every later step work on megabytes.
inline constexpr std::size_t kRegistryValueLimit = 32 * 1024;

// An open key. Destroying it closes it (RegCloseKey), exactly once.
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;
  RegistryKey() = default;
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  // nullopt when the value does not exist, cannot be read, or holds more than
  // kRegistryValueLimit bytes (which counts as unreadable, never as cut).
  virtual std::optional<RegistryValue> queryValue(std::string_view name) const = 0;
  // RegSetValueExA with REG_DWORD; a Win32 error code, 0 on success.
  virtual std::uint32_t setDword(std::string_view name, std::uint32_t value) = 0;
};

struct OpenedKey {
  std::unique_ptr<RegistryKey> key;  // null on failure
  std::uint32_t error = 0;           // Win32 error code when key is null
};

class Registry {
 public:
  virtual ~Registry() = default;
  // RegOpenKeyExA(root, path, 0, access).
  virtual OpenedKey openKey(RegistryRoot root, std::string_view path, std::uint32_t access) = 0;
  // RegCreateKeyExA(root, path, REG_OPTION_NON_VOLATILE, access): opens, creating it when absent.
  virtual OpenedKey createKey(RegistryRoot root, std::string_view path, std::uint32_t access) = 0;
};

}  // namespace nimbra::platform
