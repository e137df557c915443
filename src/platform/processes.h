// Other processes and the shell: the named mapping by which a running Nimbra
// is detected, its main window, starting programs directly or through the
// desktop shell, and hidden console children.
#pragma once

#include <cstdint>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace nimbra::platform {

using WindowId = std::uintptr_t;  // an HWND as a number; never 0

// The steps of a start through the desktop shell, in order; a result names
// the one that failed.
enum class DesktopShellStep {
  None,          // every step succeeded: the shell started the program
  LoadCom,       // ole32, oleaut32 or user32 of the system directory, with the functions used
  InitializeCom,  // CoInitializeEx
  Security,      // CoInitializeSecurity: see ShellExecuteThroughDesktop
  ShellWindows,  // CoCreateInstance(CLSID_ShellWindows)
  FindDesktop,   // IShellWindows::FindWindowSW(SWC_DESKTOP): no desktop shell
  ShellRights,   // the caller's check refused the shell's process by its elevation
  Browser,       // IServiceProvider::QueryService(SID_STopLevelBrowser)
  View,          // IShellBrowser::QueryActiveShellView
  Background,    // IShellView::GetItemObject(SVGIO_BACKGROUND)
  Application,   // IShellFolderViewDual::get_Application, as IShellDispatch2
  Execute,       // IShellDispatch2::ShellExecute, which said anything but S_OK
  NoAnswer,      // the steps above did not end within kDesktopShellAnswerMs
  NoThread,      // no thread to bound them with could be made: none was taken
};

// The elevation of the desktop shell's process, read from its token once the
// shell is found and before it is asked anything more.
enum class ShellElevation {
  NotElevated,
  Elevated,
  // Elevated, but with the user's one and only token (TokenElevationTypeDefault:
  // User Account Control off, or the built-in Administrator): every program
  // of the desktop user has these rights, so a start through it hands on none.
  ElevatedAlone,
  Unknown,  // the process or its token could not be opened or asked
};

// Whether a desktop shell of that elevation may start the program: the
// caller decides, the platform only reads the elevation.
using DesktopShellCheck = bool (*)(ShellElevation);

// How long a start through the desktop shell, another process, may take
// before the installer gives up on it: a shell that hangs must not hold an
// update that is done, and a deployment tool waiting for its end.
inline constexpr std::uint32_t kDesktopShellAnswerMs = 30000;

struct DesktopShellResult {
  DesktopShellStep failedStep = DesktopShellStep::None;
  // The HRESULT of the failed step: 0 for LoadCom and for a ShellRights
  // refusal of an elevation that was read; that of the read for an Unknown one.
  std::int32_t result = 0;
  bool started() const { return failedStep == DesktopShellStep::None; }
};

// What a hidden child process printed on its standard output.
struct ChildOutput {
  bool started = false;
  bool timedOut = false;  // it was ended after the time-out; output is what came before
  std::string output;     // the bytes as written, at most kChildOutputLimit of them
};

inline constexpr std::size_t kChildOutputLimit = 64 * 1024;

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
  // The same request made by the desktop shell, the process that owns the
  // desktop window (Explorer): the program starts with the shell's rights,
  // not the caller's. directory must be a full path. mayStart is asked with
  // the elevation of the shell's process once it is found; on false the shell
  // is asked nothing more (ShellRights). Started only when the shell said so.
  virtual DesktopShellResult shellExecuteAsDesktop(std::string_view verb, std::string_view file,
                                                   std::string_view parameters, std::string_view directory,
                                                   int showCommand, DesktopShellCheck mayStart) = 0;
  // CreateProcessA(application, commandLine, inheriting only the write end of
  // an anonymous pipe as standard output, creationFlags, an environment of
  // the system's folders alone (SystemRoot, windir, PATH; none of ours),
  // directory, STARTF_USESHOWWINDOW with SW_HIDE) and collects what it writes
  // until it ends; after timeoutMs it is ended, even while it writes. Both
  // handles are closed again.
  virtual ChildOutput runHiddenCapturingOutput(std::string_view application, std::string_view commandLine,
                                               std::uint32_t creationFlags, std::string_view directory,
                                               std::uint32_t timeoutMs) = 0;
};

}  // namespace nimbra::platform
