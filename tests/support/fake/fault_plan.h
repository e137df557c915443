// Makes chosen platform calls of the fake world fail, for fault-injection tests.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace nimbra::fake {

enum class Call {
  RegistryOpen,
  RegistryCreate,
  RegistryQuery,
  RegistrySetValue,
  FileOpen,
  FileRead,
  FileWrite,
  FileFlush,
  FileReplace,
  RestartReplace,
  FileDelete,
  FolderOpen,
  ListDirectory,
  MappingProbe,
  FindWindow,
  PostMessage,
  ShellExecute,
  RunProcess,
  ResourceFind,
};

class FaultPlan {
 public:
  // The call after `skip` further successful calls of this kind fails with error.
  void failNext(Call call, std::uint32_t error = 5, int skip = 0) { faults_.push_back({call, error, skip, false}); }
  // Every call of this kind fails with error.
  void failAlways(Call call, std::uint32_t error = 5) { faults_.push_back({call, error, 0, true}); }
  void clear() { faults_.clear(); }

  // The error this call must fail with, if any; counts the call against the plan.
  std::optional<std::uint32_t> take(Call call) {
    for (auto it = faults_.begin(); it != faults_.end(); ++it) {
      if (it->call != call) continue;
      if (it->skip > 0) {
        --it->skip;
        return std::nullopt;
      }
      std::uint32_t error = it->error;
      if (!it->always) faults_.erase(it);
      return error;
    }
    return std::nullopt;
  }

 private:
  struct Fault {
    Call call;
    std::uint32_t error;
    int skip;
    bool always;
  };
  std::vector<Fault> faults_;
};

}  // namespace nimbra::fake
