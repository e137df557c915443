// nimbra.exe, the substitute of Nimbra for the end-to-end tests: it shows the
// installer what a running Nimbra shows (the mapping "nimbra_memfile", a
// "TNimbraMainForm" window, dwix.cok held open with no sharing) and ends a set
// time after WM_QUIT. Started in any other way, as the installer's shell "open"
// does, it records its start and ends at once. Options: serve_options.h.
//
// Logs are JSON lines (json_line.h); every line has "event" and "unix_ms".
// Serving log (--log, else nimbra.log next to the executable):
//   started, ready, quit-received, file-released, mapping-closed, exit,
//   and on trouble hold-failed, window-failed, lifetime-expired.
// Ordinary start: one "started" line appended to nimbra-started.log next to
// the executable, with the command line, the current directory and the name
// of the process that started it.
// Exit codes: 0 ended after WM_QUIT or an ordinary start, 1 bad options,
// 2 the file could not be held, 3 no window, 4 the lifetime ran out.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "json_line.h"
#include "nimbra/serve_options.h"
#include "platform/win32/handles.h"
#include "process_facts.h"

namespace {

using namespace nimbra::tools;
using nimbra::win32::UniqueFile;
using nimbra::win32::UniqueHandle;

constexpr char kWindowClass[] = "TNimbraMainForm";
constexpr char kMappingName[] = "nimbra_memfile";
constexpr char kPackName[] = "dwix.cok";

enum SubstituteExit { kEnded = 0, kBadOptions = 1, kHoldFailed = 2, kNoWindow = 3, kLifetimeExpired = 4 };

JsonLine event(std::string_view name) {
  JsonLine line;
  line.ascii("event", name).number("unix_ms", unixMillis()).number("pid", GetCurrentProcessId());
  return line;
}

JsonLine startedEvent() {
  const std::string commandLine = GetCommandLineA();
  const std::string directory = currentDirectoryAnsi();
  return event("started")
      .text("command_line", GetCommandLineW())
      .hex("command_line_hex", commandLine)
      .text("cwd", currentDirectoryWide())
      .hex("cwd_hex", directory)
      .ascii("parent", parentProcessName());
}

struct WindowClassRegistration {
  explicit WindowClassRegistration(HINSTANCE instance) : instance_(instance) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    registered_ = RegisterClassA(&windowClass) != 0;
  }
  ~WindowClassRegistration() {
    if (registered_) UnregisterClassA(kWindowClass, instance_);
  }
  WindowClassRegistration(const WindowClassRegistration&) = delete;
  WindowClassRegistration& operator=(const WindowClassRegistration&) = delete;

  HINSTANCE instance_;
  bool registered_ = false;
};

struct WindowTraits {
  using Type = HWND;
  static Type invalid() noexcept { return nullptr; }
  static void close(Type window) noexcept { DestroyWindow(window); }
};
using UniqueWindow = nimbra::win32::UniqueAny<WindowTraits>;

int serve(HINSTANCE instance, const ServeOptions& options) {
  const std::string folder = moduleFolderAnsi();
  const std::string logPath = options.logPath.value_or(folder + "nimbra.log");
  const auto log = [&logPath](const JsonLine& line) { appendLine(logPath, line.str()); };
  log(startedEvent());

  UniqueHandle mapping;
  bool mappingExisted = false;
  if (options.mapping) {
    mapping.reset(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 64, kMappingName));
    mappingExisted = GetLastError() == ERROR_ALREADY_EXISTS;
  }

  UniqueFile held;
  const std::string holdPath = options.holdPath.value_or(folder + kPackName);
  if (options.hold) {
    // Share mode 0: while it is held, every other open of the file fails.
    held.reset(CreateFileA(holdPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!held) {
      log(event("hold-failed").hex("path_hex", holdPath).number("error", GetLastError()));
      return kHoldFailed;
    }
  }

  WindowClassRegistration windowClass(instance);
  UniqueWindow window;
  if (options.window) {
    window.reset(CreateWindowExA(0, kWindowClass, "Nimbra", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 320,
                                 200, nullptr, nullptr, instance, nullptr));
    if (!window) {
      log(event("window-failed").number("error", GetLastError()));
      return kNoWindow;
    }
    ShowWindow(window.get(), SW_SHOWNOACTIVATE);
  }

  const UINT_PTR lifetimeTimer = SetTimer(nullptr, 0, options.lifetimeMs, nullptr);
  log(event("ready")
          .boolean("mapping", mapping.valid())
          .boolean("mapping_existed", mappingExisted)
          .number("window", static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(window.get())))
          .boolean("holding", held.valid())
          .hex("hold_path_hex", options.hold ? holdPath : std::string()));

  int exitCode = kEnded;
  MSG message{};
  for (;;) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) {
      // WM_QUIT posted to the window comes out of GetMessage like a thread
      // message: GetMessage returns 0 and says to which window it was posted.
      log(event("quit-received")
              .boolean("to_window", window && message.hwnd == window.get())
              .number("wparam", static_cast<std::int64_t>(message.wParam))
              .number("lparam", static_cast<std::int64_t>(message.lParam)));
      break;
    }
    if (got == -1) break;
    if (message.message == WM_TIMER && message.hwnd == nullptr && message.wParam == lifetimeTimer) {
      log(event("lifetime-expired"));
      exitCode = kLifetimeExpired;
      break;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  KillTimer(nullptr, lifetimeTimer);

  // Like Nimbra shutting down: the pack stays open while it winds up.
  if (exitCode == kEnded && options.quitDelayMs > 0) Sleep(options.quitDelayMs);
  if (held) {
    held.reset();
    log(event("file-released"));
  }
  if (mapping) {
    mapping.reset();
    log(event("mapping-closed"));
  }
  window.reset();
  log(event("exit").number("code", exitCode));
  return exitCode;
}

std::vector<std::string> arguments() {
  std::vector<std::string> list;
  for (int i = 1; i < __argc; ++i) list.emplace_back(__argv[i]);
  return list;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  const std::vector<std::string> args = arguments();
  if (!asksToServe(args)) {
    appendLine(moduleFolderAnsi() + "nimbra-started.log", startedEvent().str());
    return kEnded;
  }
  const std::optional<ServeOptions> options = parseServeOptions(args);
  if (!options) return kBadOptions;
  return serve(instance, *options);
}
