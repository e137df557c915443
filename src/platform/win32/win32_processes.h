// Other processes, windows and the shell through kernel32, user32 and shell32.
#pragma once

#include "platform/processes.h"

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
  bool setCurrentDirectory(std::string_view path) override;
  bool runHiddenAndWait(std::string_view commandLine, std::uint32_t creationFlags) override;
};

}  // namespace nimbra::win32
