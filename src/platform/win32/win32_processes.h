// Other processes, windows and the shell through kernel32, user32 and shell32.
// user32 and shell32 are loaded on the first call that needs them, so that a
// run which never looks for a window or starts a program loads neither.
#pragma once

#include "platform/processes.h"
#include "platform/win32/system_library.h"

namespace nimbra::win32 {

class Win32Processes final : public platform::Processes {
 public:
  platform::MappingProbe probeNamedMapping(std::string_view name,
                                           std::uint32_t maximumSize) override;
  std::optional<platform::WindowId> findWindow(std::string_view className) override;
  bool postMessage(platform::WindowId window, std::uint32_t message, std::uintptr_t wParam,
                   std::intptr_t lParam) override;
  std::intptr_t shellExecute(std::string_view verb, std::string_view file,
                             std::string_view parameters, std::string_view directory,
                             int showCommand) override;
  platform::DesktopShellResult shellExecuteAsDesktop(std::string_view verb, std::string_view file,
                                                     std::string_view parameters, std::string_view directory,
                                                     int showCommand, platform::DesktopShellCheck mayStart) override;
  platform::ChildOutput runHiddenCapturingOutput(std::string_view application, std::string_view commandLine,
                                                 std::uint32_t creationFlags, std::string_view directory,
                                                 std::uint32_t timeoutMs) override;

 private:
  OnDemandLibrary user32_{"user32.dll"};
  OnDemandLibrary shell32_{"shell32.dll"};
};

}  // namespace nimbra::win32
