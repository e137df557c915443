// The running Nimbra, as the installer sees it: detected by its named file
// mapping, asked to quit through its main window, started through the shell.
#pragma once

#include "host/settings.h"
#include "platform/processes.h"

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

// Makes the installation folder the current directory (a failure is ignored)
// and opens installation folder + product key + ".exe" through the shell, with
// no parameters and no directory, so that Nimbra starts in that folder.
void StartNimbra(platform::Processes& processes, const Settings& settings);

}  // namespace nimbra
