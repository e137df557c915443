// The installer's whole life after the process has been hardened: start-up,
// the one update run, release. The Windows entry passes the real platform and
// the process's command line; tests pass the fake world and a literal one.
#pragma once

#include <string_view>

#include "deployment/exit_code.h"
#include "platform/platform.h"
#include "update/installer_configuration.h"

namespace nimbra {

// The command line's help words show the usage box and end with 0 before
// anything else happens. Otherwise "log=PATH" opens the log, and "quiet"
// (after "modest") keeps every box of the run from being shown. The run
// works watched by platform.watchdog (see deployment/run_expiry.h); it does
// not start when the watchdog has no thread for it.
// Any exception, std::bad_alloc included, ends the run with ExitCode::Failed.
ExitCode RunInstaller(platform::Platform& platform, std::string_view commandLine,
                      const InstallerConfiguration& configuration = {});

}  // namespace nimbra
