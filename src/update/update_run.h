// The one update run of the installer: preconditions, closing a running
// Nimbra, the questions, writing the pack, recording the installation size
// and starting Nimbra. A linear pass that ends at the first failing check;
// whatever failed has already told the user.
#pragma once

#include "deployment/exit_code.h"
#include "deployment/run_log.h"
#include "host/startup_settings.h"
#include "lang/language_files.h"
#include "platform/platform.h"
#include "update/installer_configuration.h"

namespace nimbra {

// Runs after InitStartupSettings. Sets the product key, the titles and the
// pack version text in state.settings, then performs the run. In the modest
// mode (start argument "modest") nothing is asked; Nimbra is started at the
// end only when the finish argument is "runapp". Records its steps in log:
// the installation folder and where it came from, the installed pack's
// version, the write with its Windows error code, "EstimatedSize" and the
// pack's version value, whether Nimbra was started. Once the pack is written
// it also records the pack's version in the uninstall entry
// ("dwix.cok version"), for the detection rules of deployment tools.
// earned: the write's exit code once the write was tried, and left as it was
// before; should anything after the write throw, the run has still earned it.
// quiet: no box is shown; a modest quiet run whose pack another program holds
// through the wait leaves the new pack to replace it at the next restart.
ExitCode RunUpdate(platform::Platform& platform, StartupState& state, LanguageFiles& languages,
                   const InstallerConfiguration& configuration, RunLog& log, ExitCode& earned, bool quiet = false);

}  // namespace nimbra
