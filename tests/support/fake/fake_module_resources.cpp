#include "fake/fake_module_resources.h"

#include <cstring>

#include "text/ascii_case.h"

namespace nimbra::fake {

namespace {
std::string resourceId(std::string_view name, std::string_view type) {
  return ToUpperAscii(std::string(type) + "/" + std::string(name));
}
}  // namespace

void FakeModuleResources::add(std::string_view name, std::string_view type, std::vector<std::byte> bytes) {
  resources_[resourceId(name, type)] = std::move(bytes);
}

void FakeModuleResources::add(std::string_view name, std::string_view type, std::string_view bytes) {
  std::vector<std::byte> data(bytes.size());
  if (!bytes.empty()) std::memcpy(data.data(), bytes.data(), bytes.size());  // an empty view may be null
  add(name, type, std::move(data));
}

std::optional<std::span<const std::byte>> FakeModuleResources::find(std::string_view name, std::string_view type) {
  if (faults_.take(Call::ResourceFind)) return std::nullopt;
  auto it = resources_.find(resourceId(name, type));
  if (it == resources_.end()) return std::nullopt;
  return std::span<const std::byte>(it->second);
}

}  // namespace nimbra::fake
