#include "host/os_console.h"

#include <algorithm>
#include <iterator>

#include "platform/codes.h"

namespace nimbra {

std::string ConsoleCommandLine(std::string_view interpreter, std::string_view command) {
  std::string line = "\"";
  line.append(interpreter).append("\" /d /c ").append(command);
  return line;
}

std::string CapturedLines(std::string_view captured) {
  captured = captured.substr(0, captured.find('\x1A'));
  std::string lines;
  lines.reserve(captured.size() + 2);
  for (std::size_t at = 0;;) {
    const std::size_t lf = captured.find('\n', at);
    std::string_view line = captured.substr(at, lf == std::string_view::npos ? std::string_view::npos : lf - at);
    std::remove_copy(line.begin(), line.end(), std::back_inserter(lines), '\r');
    lines += "\r\n";
    // The text ends with the line in which its last byte stands.
    if (lf == std::string_view::npos || lf + 1 == captured.size()) return lines;
    at = lf + 1;
  }
}

std::string RunConsoleCommand(platform::Platform& platform, std::string_view command) {
  const std::string folder = platform.system.systemDirectory();
  if (folder.empty()) return {};
  const std::string interpreter = folder + "\\cmd.exe";
  platform::ChildOutput child = platform.processes.runHiddenCapturingOutput(
      interpreter, ConsoleCommandLine(interpreter, command), win::kCreateNewConsole | win::kCreateNewProcessGroup,
      folder, kConsoleTimeoutMs);
  // A hung interpreter's partial output is not to be trusted.
  if (child.timedOut) child.output.clear();
  return platform.system.oemToAnsi(CapturedLines(child.output));
}

}  // namespace nimbra
