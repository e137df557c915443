#include "update/installer_main.h"

#include <exception>
#include <string>

#include "deployment/box_gate.h"
#include "deployment/run_expiry.h"
#include "deployment/run_options.h"
#include "host/startup_settings.h"
#include "lang/language_files.h"
#include "update/update_run.h"
#include "update/usage.h"

namespace nimbra {

namespace {

void RecordTheStart(RunLog& log, std::string_view commandLine, const InstallerConfiguration& configuration) {
  log.record("command line: " + std::string(commandLine));
  log.record("installer " + configuration.installerVersion + ", carrying " + configuration.packFileName +
             " (key \"" + configuration.packKey + "\", version " + std::to_string(configuration.packVersion) + ")");
}

// Start-up, the update run and release, with every box of the run passing the gate.
ExitCode RunAndRelease(platform::Platform& platform, const CommandLineWords& words,
                       const InstallerConfiguration& configuration, RunLog& log, ExitCode& earned, bool quiet) {
  StartupState state;
  InitStartupSettings(platform, state, words);
  LanguageFiles languages;
  ExitCode code = RunUpdate(platform, state, languages, configuration, log, earned, quiet);
  log.atStep("releasing");
  // The language tables go first, then the start-up settings: the reverse of their start.
  languages = LanguageFiles();
  ReleaseStartupSettings(state);
  return code;
}

// Nothing is expected to throw; should anything (a lack of memory, say), the
// run still ends with an exit code of its own, where std::terminate would
// abort with 3, which reads as something else: the code for any other failure
// before the write, the write's own after it (a pack in place is a success).
ExitCode RunAndReleaseCatching(platform::Platform& platform, const CommandLineWords& words,
                               const InstallerConfiguration& configuration, RunLog& log, bool quiet) {
  ExitCode earned = ExitCode::Failed;
  try {
    return RunAndRelease(platform, words, configuration, log, earned, quiet);
  } catch (const std::exception& failure) {
    log.record(std::string("unexpected failure: ") + failure.what());
  } catch (...) {
    log.record("unexpected failure");
  }
  return earned;
}

}  // namespace

ExitCode RunInstaller(platform::Platform& platform, std::string_view commandLine,
                      const InstallerConfiguration& configuration) {
  // Split once: the options and the start-up settings read the same words.
  const CommandLineWords words = CommandLineArguments(commandLine);
  const RunOptions options = ReadRunOptions(words);
  if (options.help) {
    // Decided before start-up: the usage reads nothing else and touches no
    // registry key. Showing it is the whole, successful run.
    ShowUsage(platform.boxes, configuration, IsCyrillicUiLcid(platform.system.userDefaultLcid()));
    return ExitCode::Installed;
  }
  RunLog log;
  RunExpiry expiry;
  ExitCode code = ExitCode::Failed;
  // Watched from before the log is opened: its open may block too.
  auto run = [&] {
    if (options.logPath) log.open(platform, *options.logPath);
    expiry.recordIn(log);
    RecordTheStart(log, commandLine, configuration);
    BoxGate gate(platform.boxes, log, options.quiet, platform.watchdog);
    platform::Platform gated{platform.registry, platform.files,  gate,           platform.processes,
                             platform.system,   platform.clock, platform.resources, platform.watchdog};
    code = RunAndReleaseCatching(gated, words, configuration, log, options.quiet);
    log.record("exit code " + std::to_string(static_cast<int>(code)));
  };
  auto expire = [&] { expiry.expire(); };
  if (!platform.watchdog.watch(kRunWorkBudgetMs, static_cast<std::uint32_t>(ExitCode::Failed),
                               platform::Callback(run), platform::Callback(expire))) {
    // Without a watchdog nothing would end a run that blocks: none starts.
    if (options.logPath) log.open(platform, *options.logPath);
    RecordTheStart(log, commandLine, configuration);
    log.record("run not started: no watchdog thread");
  }
  return code;
}

}  // namespace nimbra
