#include "update/nimbra_instance.h"

#include <string>

#include "host/folder_path.h"
#include "platform/codes.h"
#include "text/number_text.h"

namespace nimbra {

namespace {

// Why the desktop shell did not start Nimbra, where the step's number alone
// would not say; null for the other steps.
const char* DesktopShellReason(const NimbraStart& start) {
  using Step = platform::DesktopShellStep;
  if (start.failedStep == Step::ShellRights && start.code == 0)
    return "Nimbra not started: the desktop shell runs elevated, and Nimbra would have its administrator rights: ";
  if (start.failedStep == Step::ShellRights)
    return "Nimbra not started: whether the desktop shell runs elevated could not be read: ";
  if (start.failedStep == Step::NoThread)
    return "Nimbra not started: no thread could be made to bound the desktop shell's answer: ";
  return nullptr;
}

}  // namespace

bool NimbraIsRunning(platform::Processes& processes) {
  // 64 bytes of the paging file; only whether the name is taken matters.
  return processes.probeNamedMapping(kNimbraMappingName, 64).lastError == win::kErrorAlreadyExists;
}

void AskNimbraToQuit(platform::Processes& processes) {
  if (auto window = processes.findWindow(kNimbraWindowClass)) processes.postMessage(*window, win::kWmQuit, 0, 0);
}

bool DesktopShellMayStart(platform::ShellElevation elevation) {
  return elevation == platform::ShellElevation::NotElevated || elevation == platform::ShellElevation::ElevatedAlone;
}

NimbraStart StartNimbra(platform::Platform& platform, const Settings& settings, const platform::Folder& installation) {
  std::string folder = installation.path();
  AddTrailingBackslash(folder);
  NimbraStart start{NimbraStartOutcome::StartedThroughDesktopShell, folder + settings.productKey + ".exe"};
  if (!platform.system.processIsElevated()) {
    const std::intptr_t result = platform.processes.shellExecute("open", start.program, "", folder, win::kSwShowNormal);
    // ShellExecuteA reports success as a value above 32.
    start.outcome = result > 32 ? NimbraStartOutcome::StartedDirectly : NimbraStartOutcome::DirectStartFailed;
    if (result <= 32) start.code = static_cast<std::int32_t>(result);
    return start;
  }
  const platform::DesktopShellResult desktop =
      platform.processes.shellExecuteAsDesktop("open", start.program, "", folder, win::kSwShowNormal,
                                               DesktopShellMayStart);
  if (!desktop.started()) {
    start.outcome = NimbraStartOutcome::NoDesktopShell;
    start.failedStep = desktop.failedStep;
    start.code = desktop.result;
  }
  return start;
}

std::string DescribeNimbraStart(const NimbraStart& start) {
  // Indexed by NimbraStartOutcome.
  constexpr const char* kOutcomes[] = {
      "Nimbra started through the shell: ",
      "Nimbra started through the desktop shell, as the desktop user: ",
      "Nimbra not started: the shell refused ",
      "Nimbra not started: no desktop shell could start it without administrator rights: ",
  };
  const char* reason = start.outcome == NimbraStartOutcome::NoDesktopShell ? DesktopShellReason(start) : nullptr;
  std::string line = std::string(reason ? reason : kOutcomes[static_cast<int>(start.outcome)]) + start.program;
  if (start.outcome == NimbraStartOutcome::DirectStartFailed) line += " (" + std::to_string(start.code) + ")";
  // The step as DesktopShellStep counts them (1 loading COM ... 11 ShellExecute, 12 no answer, 13 no
  // thread), with its HRESULT.
  if (start.outcome == NimbraStartOutcome::NoDesktopShell)
    line += " (step " + std::to_string(static_cast<int>(start.failedStep)) + ", 0x" +
            UpperHex(static_cast<std::uint32_t>(start.code), 8) + ")";
  return line;
}

}  // namespace nimbra
