#include "platform/win32/win32_registry.h"

#include <windows.h>

#include <utility>

#include "platform/win32/c_string.h"
#include "platform/win32/handles.h"

namespace nimbra::win32 {
namespace {

class Win32RegistryKey final : public platform::RegistryKey {
 public:
  explicit Win32RegistryKey(UniqueKey key) : key_(std::move(key)) {}

  std::optional<platform::RegistryValue> queryValue(std::string_view name) const override {
    const std::string valueName = cString(name);
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExA(key_.get(), valueName.c_str(), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS ||
        size > platform::kRegistryValueLimit)
      return std::nullopt;
    platform::RegistryValue value;
    // The value may grow between the two calls (another process writing it), and for
    // strings the A function's first answer is only an upper bound: ask again until the
    // buffer holds it, then keep only the bytes actually returned.
    for (;;) {
      value.data.resize(size);
      DWORD got = size;
      auto* buffer = size == 0 ? nullptr : reinterpret_cast<BYTE*>(value.data.data());
      const LSTATUS status =
          ::RegQueryValueExA(key_.get(), valueName.c_str(), nullptr, &type, buffer, &got);
      if (status == ERROR_MORE_DATA) {
        size = got > size ? got : size * 2 + 1;
        if (size > platform::kRegistryValueLimit) return std::nullopt;
        continue;
      }
      if (status != ERROR_SUCCESS) return std::nullopt;
      if (buffer == nullptr && got != 0) {  // grew from empty
        size = got;
        continue;
      }
      value.data.resize(got);
      value.type = type;
      return value;
    }
  }

  std::uint32_t setDword(std::string_view name, std::uint32_t value) override {
    const DWORD data = value;
    return static_cast<std::uint32_t>(::RegSetValueExA(key_.get(), cString(name).c_str(), 0,
                                                       REG_DWORD,
                                                       reinterpret_cast<const BYTE*>(&data),
                                                       sizeof data));
  }

 private:
  UniqueKey key_;
};

HKEY rootKey(platform::RegistryRoot root) {
  // The predefined keys are fixed numbers of the ABI (0x80000001, 0x80000002).
  return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<std::uint32_t>(root)));
}

// Runs one open or create call with the key it fills in.
template <typename OpenCall>
platform::OpenedKey opened(OpenCall call) {
  UniqueKey key;
  const LSTATUS status = call(key.put());
  if (status != ERROR_SUCCESS) {
    key.release();  // not a handle after a failed open: never close it
    return {nullptr, static_cast<std::uint32_t>(status)};
  }
  return {std::make_unique<Win32RegistryKey>(std::move(key)), 0};
}

}  // namespace

platform::OpenedKey Win32Registry::openKey(platform::RegistryRoot root, std::string_view path,
                                           std::uint32_t access) {
  return opened([&](HKEY* key) { return ::RegOpenKeyExA(rootKey(root), cString(path).c_str(), 0, access, key); });
}

platform::OpenedKey Win32Registry::createKey(platform::RegistryRoot root, std::string_view path,
                                             std::uint32_t access) {
  return opened([&](HKEY* key) {
    return ::RegCreateKeyExA(rootKey(root), cString(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                             nullptr, key, nullptr);
  });
}

}  // namespace nimbra::win32
