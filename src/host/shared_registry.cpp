#include "host/shared_registry.h"

#include "platform/codes.h"

namespace nimbra {

SharedRegistry::SharedRegistry(platform::Registry& registry, std::uint32_t accessMask)
    : registry_(registry), accessMask_(accessMask) {}

CurrentKeyScope::~CurrentKeyScope() { registry_.closeKey(); }

CurrentKeyScope::operator bool() const { return registry_.hasCurrentKey(); }

CurrentKeyScope SharedRegistry::useKey(platform::RegistryRoot root, std::string_view path, bool canCreate) {
  setRoot(root);
  openKey(path, canCreate);
  return CurrentKeyScope(*this);
}

void SharedRegistry::setRoot(platform::RegistryRoot root) {
  if (root != root_) closeKey();
  root_ = root;
}

bool SharedRegistry::openKey(std::string_view path, bool canCreate) {
  closeKey();
  auto opened = canCreate ? registry_.createKey(root_, path, accessMask_)
                          : registry_.openKey(root_, path, accessMask_);
  current_ = std::move(opened.key);
  return current_ != nullptr;
}

void SharedRegistry::closeKey() { current_.reset(); }

bool SharedRegistry::valueExists(std::string_view name) const {
  return current_ && current_->queryValue(name).has_value();
}

StringRead SharedRegistry::readString(std::string_view name) const {
  if (!current_) return {};
  auto value = current_->queryValue(name);
  if (!value) return {};
  if (value->type != win::kRegSz && value->type != win::kRegExpandSz) return {ValueRead::WrongType, {}};
  return {ValueRead::Ok, registryStringText(value->data)};
}

bool SharedRegistry::writeDword(std::string_view name, std::uint32_t value) {
  return current_ && current_->setDword(name, value) == win::kErrorSuccess;
}

std::string registryStringText(std::string_view data) {
  return std::string(data.substr(0, data.find('\0')));
}

}  // namespace nimbra
