#include "update/nimbra_instance.h"

#include <cstdio>
#include <string>

#include "host/folder_path.h"
#include "platform/codes.h"

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
    if (result <= 32) start.code = result;
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
  // Indexed by DesktopShellStep.
  constexpr const char* kSteps[] = {"none", "loading ole32/oleaut32", "CoInitializeEx", "CoCreateInstance(ShellWindows)",
                                    "FindWindowSW(SWC_DESKTOP)", "QueryService(SID_STopLevelBrowser)",
                                    "QueryActiveShellView", "GetItemObject(SVGIO_BACKGROUND)", "get_Application",
                                    "ShellExecute"};
  char code[16];
  std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(start.code));
  switch (start.outcome) {
    case NimbraStartOutcome::StartedDirectly: return "Nimbra started through the shell: " + start.program;
    case NimbraStartOutcome::StartedThroughDesktopShell:
      return "Nimbra started through the desktop shell, as the desktop user: " + start.program;
    case NimbraStartOutcome::NoFullPath: return "Nimbra not started: no full path for " + start.program;
    case NimbraStartOutcome::DirectStartFailed:
      return "Nimbra not started: the shell refused " + start.program + " (" + std::to_string(start.code) + ")";
    case NimbraStartOutcome::NoDesktopShell: break;
  }
  return "Nimbra not started: no desktop shell could start it without administrator rights (" +
         std::string(kSteps[static_cast<int>(start.failedStep)]) + " " + code + ")";
}

}  // namespace nimbra
