// The fake module resources: added by name and type, found in any letter case.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fake/fault_plan.h"
#include "platform/module_resources.h"

namespace nimbra::fake {

class FakeModuleResources : public platform::ModuleResources {
 public:
  explicit FakeModuleResources(FaultPlan& faults) : faults_(faults) {}
  // Adds a resource; name and type are found whatever their letter case.
  void add(std::string_view name, std::string_view type, std::vector<std::byte> bytes);
  void add(std::string_view name, std::string_view type, std::string_view bytes);

  std::optional<std::span<const std::byte>> find(std::string_view name, std::string_view type) override;

 private:
  FaultPlan& faults_;
  std::map<std::string, std::vector<std::byte>> resources_;
};

}  // namespace nimbra::fake
