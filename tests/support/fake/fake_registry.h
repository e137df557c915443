// An in-memory registry with both views of 64-bit Windows. Keys and value
// names compare without regard to case. Paths given to the test helpers are
// those a 64-bit program sees (a 32-bit value lives under Software\WOW6432Node).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fake/fault_plan.h"
#include "platform/registry.h"

namespace nimbra::fake {

using platform::RegistryRoot;

class FakeRegistry : public platform::Registry {
 public:
  explicit FakeRegistry(FaultPlan& faults) : faults_(faults) {}

  // True: a 32-bit program on 64-bit Windows, so HKLM\Software is redirected to
  // Software\WOW6432Node unless KEY_WOW64_64KEY is asked for. False: 32-bit Windows.
  bool wow64 = true;

  void setValue(RegistryRoot root, std::string_view path, std::string_view name, platform::RegistryValue value);
  void setString(RegistryRoot root, std::string_view path, std::string_view name, std::string_view text,
                 std::uint32_t type = 1 /* REG_SZ */);
  void setDword(RegistryRoot root, std::string_view path, std::string_view name, std::uint32_t value);
  void createKeyPath(RegistryRoot root, std::string_view path);
  // Opening this key (with or without creation) is refused with ERROR_ACCESS_DENIED.
  void denyKey(RegistryRoot root, std::string_view path);

  bool keyExists(RegistryRoot root, std::string_view path) const;
  std::optional<platform::RegistryValue> value(RegistryRoot root, std::string_view path, std::string_view name) const;
  std::optional<std::uint32_t> dword(RegistryRoot root, std::string_view path, std::string_view name) const;
  std::size_t valueCount(RegistryRoot root, std::string_view path) const;

  // Keys currently open through the interface.
  int openKeys() const { return openKeys_; }
  // Every open and create through the interface: "open|create <root> <resolved path> <access hex>".
  const std::vector<std::string>& log() const { return log_; }

  platform::OpenedKey openKey(RegistryRoot root, std::string_view path, std::uint32_t access) override;
  platform::OpenedKey createKey(RegistryRoot root, std::string_view path, std::uint32_t access) override;

 private:
  friend class FakeKey;
  struct Key {
    std::map<std::string, platform::RegistryValue> values;  // by lower-cased name
  };
  static std::string keyId(RegistryRoot root, std::string_view path);
  std::string resolve(RegistryRoot root, std::string_view path, std::uint32_t access) const;
  platform::OpenedKey open(RegistryRoot root, std::string_view path, std::uint32_t access, bool create);

  FaultPlan& faults_;
  std::map<std::string, Key> keys_;  // by keyId
  std::vector<std::string> denied_;
  std::vector<std::string> log_;
  int openKeys_ = 0;
};

}  // namespace nimbra::fake
