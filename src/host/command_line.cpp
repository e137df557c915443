#include "host/command_line.h"

namespace nimbra {

namespace {

bool isSeparator(char c) {
  auto byte = static_cast<unsigned char>(c);
  return byte != 0 && byte <= 0x20;
}

}  // namespace

CommandLineWords CommandLineArguments(std::string_view commandLine) {
  if (auto nul = commandLine.find('\0'); nul != std::string_view::npos) commandLine = commandLine.substr(0, nul);
  CommandLineWords arguments;
  std::size_t at = 0;
  while (true) {
    while (at < commandLine.size() && isSeparator(commandLine[at])) ++at;
    if (at == commandLine.size()) return arguments;
    std::string& argument = arguments.emplace_back();
    bool quoted = false;
    for (; at < commandLine.size(); ++at) {
      char c = commandLine[at];
      if (c == '"') {
        quoted = !quoted;
      } else if (!quoted && isSeparator(c)) {
        break;
      } else {
        argument.push_back(c);
      }
    }
  }
}

std::string CommandLineArgument(std::string_view commandLine, int index) {
  const CommandLineWords arguments = CommandLineArguments(commandLine);
  return index >= 0 && static_cast<std::size_t>(index) < arguments.size() ? arguments[index] : std::string();
}

}  // namespace nimbra
