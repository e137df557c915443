#include "fake/fake_registry.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/codes.h"
#include "text/ascii_case.h"

namespace nimbra::fake {

namespace {

std::string trimSlashes(std::string_view path) {
  while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  return std::string(path);
}

}  // namespace

class FakeKey : public platform::RegistryKey {
 public:
  FakeKey(FakeRegistry& registry, std::string id) : registry_(registry), id_(std::move(id)) { ++registry_.openKeys_; }
  ~FakeKey() override { --registry_.openKeys_; }

  std::optional<platform::RegistryValue> queryValue(std::string_view name) const override {
    if (registry_.faults_.take(Call::RegistryQuery)) return std::nullopt;
    auto& values = registry_.keys_[id_].values;
    auto it = values.find(ToLowerAscii(name));
    if (it == values.end() || it->second.data.size() > platform::kRegistryValueLimit) return std::nullopt;
    return it->second;
  }

  std::uint32_t setDword(std::string_view name, std::uint32_t value) override {
    if (auto error = registry_.faults_.take(Call::RegistrySetValue)) return *error;
    std::string data(4, '\0');
    std::memcpy(data.data(), &value, 4);
    registry_.keys_[id_].values[ToLowerAscii(name)] = {win::kRegDword, data};
    return win::kErrorSuccess;
  }

 private:
  FakeRegistry& registry_;
  std::string id_;
};

std::string FakeRegistry::keyId(RegistryRoot root, std::string_view path) {
  std::string prefix = root == RegistryRoot::LocalMachine ? "hklm" : "hkcu";
  std::string rest = ToLowerAscii(trimSlashes(path));
  return rest.empty() ? prefix : prefix + "\\" + rest;
}

std::string FakeRegistry::resolve(RegistryRoot root, std::string_view path, std::uint32_t access) const {
  std::string id = keyId(root, path);
  bool view32 = wow64 && (access & win::kKeyWow64_64Key) == 0;
  if (!view32 || root != RegistryRoot::LocalMachine) return id;
  const std::string software = "hklm\\software";
  const std::string wow = "hklm\\software\\wow6432node";
  bool underSoftware = id == software || id.starts_with(software + "\\");
  bool alreadyWow = id == wow || id.starts_with(wow + "\\");
  if (!underSoftware || alreadyWow) return id;
  return wow + id.substr(software.size());
}

void FakeRegistry::createKeyPath(RegistryRoot root, std::string_view path) {
  std::string id = keyId(root, path);
  for (std::size_t at = id.find('\\'); at != std::string::npos; at = id.find('\\', at + 1)) keys_[id.substr(0, at)];
  keys_[id];
}

void FakeRegistry::setValue(RegistryRoot root, std::string_view path, std::string_view name,
                            platform::RegistryValue value) {
  createKeyPath(root, path);
  keys_[keyId(root, path)].values[ToLowerAscii(name)] = std::move(value);
}

void FakeRegistry::setString(RegistryRoot root, std::string_view path, std::string_view name, std::string_view text,
                             std::uint32_t type) {
  std::string data(text);
  data.push_back('\0');
  setValue(root, path, name, {type, data});
}

void FakeRegistry::setDword(RegistryRoot root, std::string_view path, std::string_view name, std::uint32_t value) {
  std::string data(4, '\0');
  std::memcpy(data.data(), &value, 4);
  setValue(root, path, name, {win::kRegDword, data});
}

void FakeRegistry::denyKey(RegistryRoot root, std::string_view path) { denied_.push_back(keyId(root, path)); }

bool FakeRegistry::keyExists(RegistryRoot root, std::string_view path) const {
  return keys_.contains(keyId(root, path));
}

std::optional<platform::RegistryValue> FakeRegistry::value(RegistryRoot root, std::string_view path,
                                                           std::string_view name) const {
  auto key = keys_.find(keyId(root, path));
  if (key == keys_.end()) return std::nullopt;
  auto it = key->second.values.find(ToLowerAscii(name));
  if (it == key->second.values.end()) return std::nullopt;
  return it->second;
}

std::optional<std::uint32_t> FakeRegistry::dword(RegistryRoot root, std::string_view path,
                                                 std::string_view name) const {
  auto found = value(root, path, name);
  if (!found || found->type != win::kRegDword || found->data.size() != 4) return std::nullopt;
  std::uint32_t result;
  std::memcpy(&result, found->data.data(), 4);
  return result;
}

std::size_t FakeRegistry::valueCount(RegistryRoot root, std::string_view path) const {
  auto key = keys_.find(keyId(root, path));
  return key == keys_.end() ? 0 : key->second.values.size();
}

platform::OpenedKey FakeRegistry::open(RegistryRoot root, std::string_view path, std::uint32_t access, bool create) {
  std::string id = resolve(root, path, access);
  char accessText[16];
  std::snprintf(accessText, sizeof accessText, "0x%X", static_cast<unsigned>(access));
  log_.push_back(std::string(create ? "create " : "open ") + id + " " + accessText);
  if (auto error = faults_.take(create ? Call::RegistryCreate : Call::RegistryOpen)) return {nullptr, *error};
  if (std::find(denied_.begin(), denied_.end(), id) != denied_.end()) return {nullptr, win::kErrorAccessDenied};
  if (!keys_.contains(id)) {
    if (!create) return {nullptr, win::kErrorFileNotFound};
    for (std::size_t at = id.find('\\'); at != std::string::npos; at = id.find('\\', at + 1)) keys_[id.substr(0, at)];
    keys_[id];
  }
  return {std::make_unique<FakeKey>(*this, id), 0};
}

platform::OpenedKey FakeRegistry::openKey(RegistryRoot root, std::string_view path, std::uint32_t access) {
  return open(root, path, access, false);
}

platform::OpenedKey FakeRegistry::createKey(RegistryRoot root, std::string_view path, std::uint32_t access) {
  return open(root, path, access, true);
}

}  // namespace nimbra::fake
