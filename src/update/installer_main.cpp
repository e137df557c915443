#include "update/installer_main.h"

#include "host/startup_settings.h"
#include "lang/language_files.h"
#include "update/update_run.h"

namespace nimbra {

ExitCode RunInstaller(platform::Platform& platform, std::string_view commandLine,
                      const InstallerConfiguration& configuration) {
  StartupState state;
  InitStartupSettings(platform, state, commandLine);
  LanguageFiles languages;
  ExitCode code = RunUpdate(platform, state, languages, configuration);
  // The language tables go first, then the start-up settings: the reverse of their start.
  languages = LanguageFiles();
  ReleaseStartupSettings(state);
  return code;
}

}  // namespace nimbra
