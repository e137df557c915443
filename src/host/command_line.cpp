#include "host/command_line.h"

namespace nimbra {

namespace {

bool isSeparator(char c) {
  auto byte = static_cast<unsigned char>(c);
  return byte != 0 && byte <= 0x20;
}

}  // namespace

std::string CommandLineArgument(std::string_view commandLine, int index) {
  if (auto nul = commandLine.find('\0'); nul != std::string_view::npos) commandLine = commandLine.substr(0, nul);
  std::size_t at = 0;
  for (int current = 0; at < commandLine.size(); ++current) {
    while (at < commandLine.size() && isSeparator(commandLine[at])) ++at;
    if (at == commandLine.size()) break;
    std::string argument;
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
    if (current == index) return argument;
  }
  return {};
}

}  // namespace nimbra
