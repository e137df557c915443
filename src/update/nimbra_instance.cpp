#include "update/nimbra_instance.h"

#include "platform/codes.h"

namespace nimbra {

bool NimbraIsRunning(platform::Processes& processes) {
  // 64 bytes of the paging file; only whether the name is taken matters.
  return processes.probeNamedMapping(kNimbraMappingName, 64).lastError == win::kErrorAlreadyExists;
}

void AskNimbraToQuit(platform::Processes& processes) {
  if (auto window = processes.findWindow(kNimbraWindowClass)) processes.postMessage(*window, win::kWmQuit, 0, 0);
}

void StartNimbra(platform::Processes& processes, const Settings& settings) {
  processes.setCurrentDirectory(settings.installationFolder);
  processes.shellExecute("open", settings.installationFolder + settings.productKey + ".exe", "", "",
                         win::kSwShowNormal);
}

}  // namespace nimbra
