#include "fake/fake_processes.h"

#include "platform/codes.h"

namespace nimbra::fake {

platform::MappingProbe FakeProcesses::probeNamedMapping(std::string_view name, std::uint32_t maximumSize) {
  mappingProbes.emplace_back(name);
  if (auto error = faults_.take(Call::MappingProbe)) return {false, *error};
  if (mappings.contains(std::string(name))) return {true, win::kErrorAlreadyExists};
  (void)maximumSize;
  return {true, win::kErrorSuccess};
}

std::optional<platform::WindowId> FakeProcesses::findWindow(std::string_view className) {
  if (faults_.take(Call::FindWindow)) return std::nullopt;
  auto it = windows.find(std::string(className));
  if (it == windows.end()) return std::nullopt;
  return it->second;
}

bool FakeProcesses::postMessage(platform::WindowId window, std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t lParam) {
  posts.push_back({window, message, wParam, lParam});
  return !faults_.take(Call::PostMessage);
}

std::intptr_t FakeProcesses::shellExecute(std::string_view verb, std::string_view file, std::string_view parameters,
                                          std::string_view directory, int showCommand) {
  shellOpens.push_back({std::string(verb), std::string(file), std::string(parameters), std::string(directory),
                        showCommand});
  if (faults_.take(Call::ShellExecute)) return 2;  // SE_ERR_FNF
  return shellResult;
}

platform::DesktopShellResult FakeProcesses::shellExecuteAsDesktop(std::string_view verb, std::string_view file,
                                                                  std::string_view parameters,
                                                                  std::string_view directory, int showCommand,
                                                                  platform::DesktopShellCheck mayStart) {
  using Step = platform::DesktopShellStep;
  desktopOpens.push_back({std::string(verb), std::string(file), std::string(parameters), std::string(directory),
                          showCommand});
  // The shell's rights are read once it is found: not after an earlier step failed, nor without a thread.
  const Step failed = desktopResult.failedStep;
  if ((failed != Step::None && failed < Step::ShellRights) || failed == Step::NoThread) return desktopResult;
  if (!mayStart(desktopShellElevation)) {
    const bool read = desktopShellElevation != platform::ShellElevation::Unknown;
    return {Step::ShellRights, read ? 0 : static_cast<std::int32_t>(0x80070005)};  // E_ACCESSDENIED
  }
  return desktopResult;
}

platform::ChildOutput FakeProcesses::runHiddenCapturingOutput(std::string_view application,
                                                              std::string_view commandLine,
                                                              std::uint32_t creationFlags,
                                                              std::string_view directory, std::uint32_t timeoutMs) {
  children.push_back(
      {std::string(application), std::string(commandLine), creationFlags, std::string(directory), timeoutMs});
  if (faults_.take(Call::RunProcess)) return {};
  return onRun ? onRun(children.back()) : platform::ChildOutput{true, false, {}};
}

}  // namespace nimbra::fake
