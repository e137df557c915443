// startup-probe.exe: start-up through the real platform in a process of its
// own, which a test can give its own Windows version (Wine's AppDefaults are
// per executable name). It writes what start-up produced to a report file:
//
//   startup-probe.exe REPORT_FILE HKLM_KEY
//
// One "key=value" line each: the identified name, the 64-bit flag, the shared
// registry object's access mask, the value "View" of HKLM\HKLM_KEY as that
// object reads it, the child processes start-up ran, and timings.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "host/os_console.h"
#include "host/os_identification.h"
#include "host/startup_settings.h"
#include "platform/win32/win32_platform.h"

namespace {

using namespace nimbra;

// Forwards to the real processes and writes down every hidden child.
class CountingProcesses : public platform::Processes {
 public:
  explicit CountingProcesses(platform::Processes& real) : real_(real) {}
  std::vector<std::string> children;

  platform::MappingProbe probeNamedMapping(std::string_view name, std::uint32_t size) override {
    return real_.probeNamedMapping(name, size);
  }
  std::optional<platform::WindowId> findWindow(std::string_view className) override {
    return real_.findWindow(className);
  }
  bool postMessage(platform::WindowId window, std::uint32_t message, std::uintptr_t wParam,
                   std::intptr_t lParam) override {
    return real_.postMessage(window, message, wParam, lParam);
  }
  std::intptr_t shellExecute(std::string_view verb, std::string_view file, std::string_view parameters,
                             std::string_view directory, int showCommand) override {
    return real_.shellExecute(verb, file, parameters, directory, showCommand);
  }
  platform::DesktopShellResult shellExecuteAsDesktop(std::string_view verb, std::string_view file,
                                                     std::string_view parameters, std::string_view directory,
                                                     int showCommand, platform::DesktopShellCheck mayStart) override {
    return real_.shellExecuteAsDesktop(verb, file, parameters, directory, showCommand, mayStart);
  }
  platform::ChildOutput runHiddenCapturingOutput(std::string_view application, std::string_view commandLine,
                                                 std::uint32_t creationFlags, std::string_view directory,
                                                 std::uint32_t timeoutMs) override {
    children.emplace_back(commandLine);
    return real_.runHiddenCapturingOutput(application, commandLine, creationFlags, directory, timeoutMs);
  }

 private:
  platform::Processes& real_;
};

double microsecondsSince(LARGE_INTEGER start) {
  LARGE_INTEGER now, frequency;
  ::QueryPerformanceCounter(&now);
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart - start.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

// CR and LF as \r and \n, so that a value stays on its line.
std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else out += c;
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  win32::Win32Platform real;
  platform::Platform base = real.platform();
  CountingProcesses processes(base.processes);
  platform::Platform counted{base.registry, base.files, base.boxes, processes, base.system, base.clock,
                             base.resources, base.watchdog};

  StartupState state;
  LARGE_INTEGER start;
  ::QueryPerformanceCounter(&start);
  InitStartupSettings(counted, state, CommandLineArguments(base.system.commandLine()));
  const double startupUs = microsecondsSince(start);
  const std::vector<std::string> startupChildren = processes.children;

  std::string report;
  char line[64];
  std::snprintf(line, sizeof line, "startupUs=%.0f\n", startupUs);
  report += line;
  report += "is64Bit=" + std::to_string(state.is64Bit ? 1 : 0) + "\n";
  std::snprintf(line, sizeof line, "accessMask=0x%lX\n", static_cast<unsigned long>(state.registry->accessMask()));
  report += line;
  report += "startArgument=" + state.settings.startArgument + "\n";
  report += "lcid=" + std::to_string(state.settings.userLcid) + "\n";
  report += "children=" + std::to_string(startupChildren.size()) + "\n";
  for (const std::string& child : startupChildren) report += "child=" + child + "\n";

  if (auto key = state.registry->useKey(platform::RegistryRoot::LocalMachine, argv[2], false))
    report += "view=" + state.registry->readString("View").text + "\n";

  // Start-up keeps only the flag; identify once more for the name itself.
  bool flag = false;
  ::QueryPerformanceCounter(&start);
  const std::string name = IdentifyOperatingSystem(counted, flag);
  std::snprintf(line, sizeof line, "identifyUs=%.0f\n", microsecondsSince(start));
  report += line;
  report += "name=" + name + "\n";
  report += "ver=" + escaped(RunConsoleCommand(counted, "ver")) + "\n";
  ReleaseStartupSettings(state);

  FILE* out = std::fopen(argv[1], "wb");
  if (!out) return 3;
  std::fwrite(report.data(), 1, report.size(), out);
  std::fclose(out);
  return 0;
}
