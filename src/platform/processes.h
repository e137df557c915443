// Other processes and the shell: the named mapping by which a running Nimbra
// is detected, its main window, starting programs, the current directory.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace nimbra::platform {

using WindowId = std::uintptr_t;  // an HWND as a number; never 0

struct MappingProbe {
  bool created = false;         // CreateFileMappingA returned a handle
  std::uint32_t lastError = 0;  // GetLastError right after the call (183 when it existed)
};

class Processes {
 public:
  virtual ~Processes() = default;
  // CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, maximumSize, name);
  // the handle is closed again before this returns.
  virtual MappingProbe probeNamedMapping(std::string_view name, std::uint32_t maximumSize) = 0;
  // FindWindowA(className, nullptr): a top-level window of that class, any title.
  virtual std::optional<WindowId> findWindow(std::string_view className) = 0;
  // PostMessageA, without waiting: false when the message could not be posted.
  virtual bool postMessage(WindowId window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) = 0;
  // ShellExecuteA(nullptr, verb, file, parameters, directory, showCommand); its result.
  virtual std::intptr_t shellExecute(std::string_view verb, std::string_view file,
                                     std::string_view parameters, std::string_view directory,
                                     int showCommand) = 0;
  // SetCurrentDirectoryA: false when the folder could not be made current.
  virtual bool setCurrentDirectory(std::string_view path) = 0;
  // CreateProcessA(nullptr, commandLine, no inherited handles, creationFlags, default
  // environment and directory, STARTF_USESHOWWINDOW with SW_HIDE); when it starts, waits
  // for it without a time-out and closes both handles. False when it did not start.
  virtual bool runHiddenAndWait(std::string_view commandLine, std::uint32_t creationFlags) = 0;
};

}  // namespace nimbra::platform
