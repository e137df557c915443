#include "update/nimbra_instance.h"

#include <string>

#include "host/folder_path.h"
#include "platform/codes.h"
#include "text/number_text.h"

namespace nimbra {

bool NimbraIsRunning(platform::Processes& processes) {
  // 64 bytes of the paging file; only whether the name is taken matters.
  return processes.probeNamedMapping(kNimbraMappingName, 64).lastError == win::kErrorAlreadyExists;
}

void AskNimbraToQuit(platform::Processes& processes) {
  if (auto window = processes.findWindow(kNimbraWindowClass)) processes.postMessage(*window, win::kWmQuit, 0, 0);
}

NimbraStart StartNimbra(platform::Platform& platform, const Settings& settings) {
  std::optional<std::string> folder = platform.files.fullPath(settings.installationFolder);
  if (!folder) return {NimbraStartOutcome::NoFullPath, settings.installationFolder + settings.productKey + ".exe"};
  AddTrailingBackslash(*folder);
  NimbraStart start{NimbraStartOutcome::StartedThroughDesktopShell, *folder + settings.productKey + ".exe"};
  if (!platform.system.processIsElevated()) {
    const std::intptr_t result = platform.processes.shellExecute("open", start.program, "", *folder, win::kSwShowNormal);
    // ShellExecuteA reports success as a value above 32.
    start.outcome = result > 32 ? NimbraStartOutcome::StartedDirectly : NimbraStartOutcome::DirectStartFailed;
    if (result <= 32) start.code = static_cast<std::int32_t>(result);
    return start;
  }
  const platform::DesktopShellResult desktop =
      platform.processes.shellExecuteAsDesktop("open", start.program, "", *folder, win::kSwShowNormal);
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
      "Nimbra not started: no full path for ",
      "Nimbra not started: the shell refused ",
      "Nimbra not started: no desktop shell could start it without administrator rights: ",
  };
  std::string line = kOutcomes[static_cast<int>(start.outcome)] + start.program;
  if (start.outcome == NimbraStartOutcome::DirectStartFailed) line += " (" + std::to_string(start.code) + ")";
  // The step as DesktopShellStep counts them (1 loading COM ... 9 ShellExecute, 10 no answer), with its HRESULT.
  if (start.outcome == NimbraStartOutcome::NoDesktopShell)
    line += " (step " + std::to_string(static_cast<int>(start.failedStep)) + ", 0x" +
            UpperHex(static_cast<std::uint32_t>(start.code), 8) + ")";
  return line;
}

}  // namespace nimbra
