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
  };
  struct Child {
    std::string application, commandLine;
    std::uint32_t creationFlags;
    std::string directory;
    std::uint32_t timeoutMs;
  };

  std::map<std::string, int> mappings;                     // existing mappings: name -> size
  std::map<std::string, platform::WindowId> windows;       // top-level windows by class
  std::vector<std::string> mappingProbes;                  // names probed, in order
  std::vector<Post> posts;
  std::vector<ShellOpen> shellOpens;    // made by the program itself
  std::vector<ShellOpen> desktopOpens;  // asked of the desktop shell
  std::vector<Child> children;
  // Runs as the child process. By default every child starts and prints nothing.
  std::function<platform::ChildOutput(const Child&)> onRun;
  std::intptr_t shellResult = 42;
  // What the desktop shell route gives; by default the shell starts the program.
  platform::DesktopShellResult desktopResult;
  // The elevation of the desktop shell's process, which the caller's check is
  // asked about once the shell is found (ShellRights when it refuses).
  platform::ShellElevation desktopShellElevation = platform::ShellElevation::NotElevated;

  platform::MappingProbe probeNamedMapping(std::string_view name, std::uint32_t maximumSize) override;
  std::optional<platform::WindowId> findWindow(std::string_view className) override;
  bool postMessage(platform::WindowId window, std::uint32_t message, std::uintptr_t wParam,
                   std::intptr_t lParam) override;
  std::intptr_t shellExecute(std::string_view verb, std::string_view file, std::string_view parameters,
                             std::string_view directory, int showCommand) override;
  platform::DesktopShellResult shellExecuteAsDesktop(std::string_view verb, std::string_view file,
                                                     std::string_view parameters, std::string_view directory,
                                                     int showCommand, platform::DesktopShellCheck mayStart) override;
  platform::ChildOutput runHiddenCapturingOutput(std::string_view application, std::string_view commandLine,
                                                 std::uint32_t creationFlags, std::string_view directory,
                                                 std::uint32_t timeoutMs) override;

 private:
  FaultPlan& faults_;
  FakeFileSystem& files_;
};

}  // namespace nimbra::fake
