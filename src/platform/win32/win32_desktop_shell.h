// Starting a program through the desktop shell, so that it runs with the
// shell's token (the desktop user's) and not with an elevated caller's.
#pragma once

#include <string_view>

#include "platform/processes.h"

namespace nimbra::win32 {

// Finds the desktop's shell window (IShellWindows::FindWindowSW, SWC_DESKTOP),
// reads the elevation of the process that owns it and asks mayStart, then
// takes its view's background object and asks its application object
// (IShellDispatch2) to ShellExecute. Before any of that the process's COM
// security is set, once: no custom marshalling, no activation as the caller,
// identify-level impersonation only, no incoming calls. ole32, oleaut32 and
// user32 are loaded from the system directory on the first call and stay;
// COM is initialised and released here, on a thread of its own that is given
// up after kDesktopShellAnswerMs.
platform::DesktopShellResult ShellExecuteThroughDesktop(std::string_view verb, std::string_view file,
                                                        std::string_view parameters, std::string_view directory,
                                                        int showCommand, platform::DesktopShellCheck mayStart);

}  // namespace nimbra::win32
