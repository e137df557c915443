// The installer's whole life after the process has been hardened: start-up,
// the one update run, release. The Windows entry passes the real platform;
// tests pass the fake world.
#pragma once

#include "platform/platform.h"
#include "update/exit_code.h"
#include "update/installer_configuration.h"

namespace nimbra {

ExitCode RunInstaller(platform::Platform& platform, const InstallerConfiguration& configuration = {});

}  // namespace nimbra
