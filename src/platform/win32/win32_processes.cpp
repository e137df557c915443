#include "platform/win32/win32_processes.h"

#include <windows.h>
// windows.h first: shellapi.h relies on its types.
#include <shellapi.h>

#include <string>

#include "platform/win32/c_string.h"
#include "platform/win32/handles.h"
#include "platform/win32/win32_desktop_shell.h"
#include "platform/win32/win32_hidden_child.h"

namespace nimbra::win32 {

platform::MappingProbe Win32Processes::probeNamedMapping(std::string_view name,
                                                         std::uint32_t maximumSize) {
  const UniqueHandle mapping(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                  maximumSize, cString(name).c_str()));
  // Read at once: ERROR_ALREADY_EXISTS comes with a valid handle, and closing it
  // below may overwrite the last error.
  const DWORD error = ::GetLastError();
  return {mapping.valid(), error};
}

std::optional<platform::WindowId> Win32Processes::findWindow(std::string_view className) {
  auto* find = user32_.get().procedure<decltype(::FindWindowA)>("FindWindowA");
  if (find == nullptr) return std::nullopt;
  const HWND window = find(cString(className).c_str(), nullptr);
  if (window == nullptr) return std::nullopt;
  return reinterpret_cast<platform::WindowId>(window);
}

bool Win32Processes::postMessage(platform::WindowId window, std::uint32_t message,
                                 std::uintptr_t wParam, std::intptr_t lParam) {
  auto* post = user32_.get().procedure<decltype(::PostMessageA)>("PostMessageA");
  return post != nullptr && post(reinterpret_cast<HWND>(window), message, wParam, lParam) != FALSE;
}

std::intptr_t Win32Processes::shellExecute(std::string_view verb, std::string_view file,
                                           std::string_view parameters,
                                           std::string_view directory, int showCommand) {
  auto* execute = shell32_.get().procedure<decltype(::ShellExecuteA)>("ShellExecuteA");
  // Without shell32, what ShellExecuteA says when out of resources: 0.
  if (execute == nullptr) return 0;
  const HINSTANCE result = execute(nullptr, cString(verb).c_str(), cString(file).c_str(),
                                   cString(parameters).c_str(), cString(directory).c_str(),
                                   showCommand);
  return reinterpret_cast<std::intptr_t>(result);
}

platform::DesktopShellResult Win32Processes::shellExecuteAsDesktop(std::string_view verb, std::string_view file,
                                                                   std::string_view parameters,
                                                                   std::string_view directory, int showCommand,
                                                                   platform::DesktopShellCheck mayStart) {
  return ShellExecuteThroughDesktop(verb, file, parameters, directory, showCommand, mayStart);
}

platform::ChildOutput Win32Processes::runHiddenCapturingOutput(std::string_view application,
                                                               std::string_view commandLine,
                                                               std::uint32_t creationFlags,
                                                               std::string_view directory,
                                                               std::uint32_t timeoutMs) {
  return RunHiddenCapturingOutput(application, commandLine, creationFlags, directory, timeoutMs);
}

}  // namespace nimbra::win32
