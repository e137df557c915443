// The record of what the program did to other processes: mapping probes,
// posts, shell opens, child processes.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "fake/fake_file_system.h"
#include "fake/fault_plan.h"
#include "platform/processes.h"

namespace nimbra::fake {

class FakeProcesses : public platform::Processes {
 public:
  FakeProcesses(FaultPlan& faults, FakeFileSystem& files) : faults_(faults), files_(files) {}

  struct Post {
    platform::WindowId window;
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
  };
  struct ShellOpen {
    std::string verb, file, parameters, directory;
    int showCommand;
    std::string currentDirectory;  // of the program at the time of the call
  };
  struct Child {
    std::string commandLine;
    std::uint32_t creationFlags;
  };

  std::map<std::string, int> mappings;                     // existing mappings: name -> size
  std::map<std::string, platform::WindowId> windows;       // top-level windows by class
  std::vector<std::string> mappingProbes;                  // names probed, in order
  std::vector<Post> posts;
  std::vector<ShellOpen> shellOpens;
  std::vector<Child> children;
  std::vector<std::string> currentDirectoryChanges;
  // Runs as the child process; false means it did not start. By default every child starts and does nothing.
  std::function<bool(const std::string& commandLine)> onRun;
  std::intptr_t shellResult = 42;

  platform::MappingProbe probeNamedMapping(std::string_view name, std::uint32_t maximumSize) override;
  std::optional<platform::WindowId> findWindow(std::string_view className) override;
  bool postMessage(platform::WindowId window, std::uint32_t message, std::uintptr_t wParam,
                   std::intptr_t lParam) override;
  std::intptr_t shellExecute(std::string_view verb, std::string_view file, std::string_view parameters,
                             std::string_view directory, int showCommand) override;
  bool setCurrentDirectory(std::string_view path) override;
  bool runHiddenAndWait(std::string_view commandLine, std::uint32_t creationFlags) override;

 private:
  FaultPlan& faults_;
  FakeFileSystem& files_;
};

}  // namespace nimbra::fake
