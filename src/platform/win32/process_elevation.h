// The elevation of another process, read from its token.
#pragma once

#include <windows.h>

#include "platform/processes.h"

namespace nimbra::win32 {

struct ReadElevation {
  platform::ShellElevation elevation = platform::ShellElevation::Unknown;
  DWORD error = 0;  // the Win32 error that left it Unknown
};

// Whether the process processId runs elevated (TokenElevation of its primary
// token), and if so whether by a split token or with the user's only one
// (TokenElevationType). Unknown when the process or its token cannot be opened or asked,
// e.g. a protected process, one that has ended, or Windows before Vista.
ReadElevation ElevationOfProcess(DWORD processId);

}  // namespace nimbra::win32
