// Starting a program through the desktop shell, so that it runs with the
// shell's token (the desktop user's) and not with an elevated caller's.
#pragma once

#include <string_view>

#include "platform/processes.h"

namespace nimbra::win32 {

// Finds the desktop's shell window (IShellWindows::FindWindowSW, SWC_DESKTOP),
// takes its view's background object and asks its application object
// (IShellDispatch2) to ShellExecute. ole32 and oleaut32 are loaded from the
// system directory for this call only; COM is initialised and released here.
platform::DesktopShellResult ShellExecuteThroughDesktop(std::string_view verb, std::string_view file,
                                                        std::string_view parameters, std::string_view directory,
                                                        int showCommand);

}  // namespace nimbra::win32
