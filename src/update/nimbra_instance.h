// The running Nimbra, as the installer sees it: detected by its named file
// mapping, asked to quit through its main window, started through the shell
// with the rights of the desktop user.
#pragma once

#include <cstdint>
#include <string>

#include "host/settings.h"
#include "platform/platform.h"

namespace nimbra {

inline constexpr std::string_view kNimbraMappingName = "nimbra_memfile";
inline constexpr std::string_view kNimbraWindowClass = "TNimbraMainForm";

// True when Nimbra is running: creating its mapping "nimbra_memfile" finds one
// already there. The probe's handle is released at once.
bool NimbraIsRunning(platform::Processes& processes);

// Posts WM_QUIT to Nimbra's main window without waiting. Posts nothing when no
// such window exists: a post to no window would land in the installer's own
// queue and silently end its next message box.
void AskNimbraToQuit(platform::Processes& processes);

// How the start of Nimbra went.
enum class NimbraStartOutcome {
  StartedDirectly,             // not elevated: the installer started it itself
  StartedThroughDesktopShell,  // elevated: the desktop shell started it, with the desktop user's rights
  DirectStartFailed,           // ShellExecuteA refused; code is its result
  NoDesktopShell,              // elevated and no desktop shell started it; failedStep and code say why
};

struct NimbraStart {
  NimbraStartOutcome outcome = NimbraStartOutcome::DirectStartFailed;
  std::string program;  // the full path that was to be started
  platform::DesktopShellStep failedStep = platform::DesktopShellStep::None;
  std::int32_t code = 0;  // ShellExecuteA's result, or the HRESULT of the failed step
  bool started() const {
    return outcome == NimbraStartOutcome::StartedDirectly || outcome == NimbraStartOutcome::StartedThroughDesktopShell;
  }
};

// Whether the desktop shell may start Nimbra: only when its process is known
// not to be elevated, or elevated with the user's only token (no User Account
// Control), which every program of that user has anyway. Nimbra gets the
// shell's rights, and it reads files in its folder that any program of the
// desktop user may change.
bool DesktopShellMayStart(platform::ShellElevation elevation);

// Opens product key + ".exe" of the installation folder, named by the
// folder's checked path (Folder::path: where its handle is, not a path
// looked up again), with the verb "open", no parameters, that folder as its
// directory and SW_SHOWNORMAL. An elevated installer never
// starts Nimbra with its own token: it asks the desktop shell, one that
// DesktopShellMayStart accepts, and when no such shell can do it, Nimbra is
// not started.
NimbraStart StartNimbra(platform::Platform& platform, const Settings& settings, const platform::Folder& installation);

// One line for the log: how Nimbra was started, or why not.
std::string DescribeNimbraStart(const NimbraStart& start);

}  // namespace nimbra
