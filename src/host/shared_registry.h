// The one registry access object of the process. It holds a root, an access
// mask fixed at creation (which picks the registry view) and at most one
// current key. Every user takes its key with useKey, reads or writes, and the
// returned scope closes the key again on every path, so that between two uses
// no key is open.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace nimbra {

enum class ValueRead {
  Ok,
  Absent,     // no current key, or no such value
  WrongType,  // the value exists but is not REG_SZ or REG_EXPAND_SZ
};

struct StringRead {
  ValueRead status = ValueRead::Absent;
  std::string text;  // the value up to its first NUL, unexpanded; empty unless Ok
};

class SharedRegistry;

// Closes the shared registry's current key when the scope ends. True while a
// key is current.
class [[nodiscard]] CurrentKeyScope {
 public:
  explicit CurrentKeyScope(SharedRegistry& registry) : registry_(registry) {}
  ~CurrentKeyScope();
  CurrentKeyScope(const CurrentKeyScope&) = delete;
  CurrentKeyScope& operator=(const CurrentKeyScope&) = delete;

  explicit operator bool() const;

 private:
  SharedRegistry& registry_;
};

class SharedRegistry {
 public:
  SharedRegistry(platform::Registry& registry, std::uint32_t accessMask);
  SharedRegistry(const SharedRegistry&) = delete;
  SharedRegistry& operator=(const SharedRegistry&) = delete;

  std::uint32_t accessMask() const { return accessMask_; }
  platform::RegistryRoot root() const { return root_; }
  bool hasCurrentKey() const { return current_ != nullptr; }

  // One use of a key: sets the root, makes path the current key (creating it
  // when absent if canCreate) and returns the scope that closes it again. The
  // scope is false when the key cannot be opened.
  CurrentKeyScope useKey(platform::RegistryRoot root, std::string_view path, bool canCreate);

  // A different root closes the current key.
  void setRoot(platform::RegistryRoot root);
  // Makes path (relative to the root) the current key, closing the previous
  // one first. canCreate creates it when absent. False when it cannot be
  // opened; no key is current then.
  bool openKey(std::string_view path, bool canCreate);
  void closeKey();

  bool valueExists(std::string_view name) const;
  StringRead readString(std::string_view name) const;
  // Writes a REG_DWORD into the current key; false without a current key or on failure.
  bool writeDword(std::string_view name, std::uint32_t value);

 private:
  platform::Registry& registry_;
  std::uint32_t accessMask_;
  platform::RegistryRoot root_ = platform::RegistryRoot::CurrentUser;
  std::unique_ptr<platform::RegistryKey> current_;
};

// The text of a string value's bytes: up to the first NUL.
std::string registryStringText(std::string_view data);

}  // namespace nimbra
