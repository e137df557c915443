// The fake clock, system facts and module resources.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "fake/fault_plan.h"
#include "platform/clock.h"
#include "platform/module_resources.h"
#include "platform/system_info.h"

namespace nimbra::fake {

// Time stands still except when the program sleeps.
class FakeClock : public platform::Clock {
 public:
  std::uint64_t nowMs = 0;
  std::optional<std::int64_t> counter = 0x123456789A;
  std::uint32_t ticks = 4242;
  std::vector<std::uint32_t> sleeps;  // every sleep, in order
  std::function<void()> onSleep;      // runs after each sleep

  std::optional<std::int64_t> performanceCounter() override { return counter; }
  std::uint32_t tickCount() override { return ticks; }
  void sleep(std::uint32_t milliseconds) override {
    sleeps.push_back(milliseconds);
    nowMs += milliseconds;
    if (onSleep) onSleep();
  }
};

// By default a 64-bit Windows 7 SP1 workstation, English (United States), administrator.
class FakeSystemInfo : public platform::SystemInfo {
 public:
  std::optional<platform::VersionRecord> extendedRecord =
      platform::VersionRecord{6, 1, 7601, 2, "Service Pack 1", 0x0100, 1};
  std::optional<platform::VersionRecord> basicRecord = platform::VersionRecord{6, 1, 7601, 2, "Service Pack 1", 0, 0};
  std::uint16_t architecture = 9;
  std::map<int, int> metrics;
  std::uint32_t lcid = 1033;
  std::map<std::string, std::string> environment;  // by exact name
  std::function<std::string(std::string_view)> oemToAnsiTable;  // identity when empty
  bool administrator = true;
  std::string commandLineText = "\"C:\\Downloads\\nimbra-pack-update.exe\"";
  int versionCalls = 0;

  std::optional<platform::VersionRecord> versionRecord(bool extended) override {
    ++versionCalls;
    return extended ? extendedRecord : basicRecord;
  }
  std::uint16_t processorArchitecture() override { return architecture; }
  int systemMetric(int index) override {
    auto it = metrics.find(index);
    return it == metrics.end() ? 0 : it->second;
  }
  std::uint32_t userDefaultLcid() override { return lcid; }
  std::optional<std::string> environmentVariable(std::string_view name) override {
    auto it = environment.find(std::string(name));
    if (it == environment.end()) return std::nullopt;
    return it->second;
  }
  std::string oemToAnsi(std::string_view text) override {
    return oemToAnsiTable ? oemToAnsiTable(text) : std::string(text);
  }
  bool isUserAnAdmin() override { return administrator; }
  std::string commandLine() override { return commandLineText; }
};

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
