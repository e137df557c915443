#include "command_line.h"

namespace nimbra::tools {

std::string quoteArgument(std::string_view argument) {
  if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string_view::npos) {
    return std::string(argument);
  }
  std::string out = "\"";
  std::size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes before a quotation mark are doubled, and the mark escaped.
    out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  // Doubled before the closing mark, so that it still closes.
  out.append(backslashes * 2, '\\');
  out += '"';
  return out;
}

std::string joinCommandLine(std::string_view program, const std::vector<std::string>& arguments) {
  std::string line = quoteArgument(program);
  for (const std::string& argument : arguments) {
    line += ' ';
    line += quoteArgument(argument);
  }
  return line;
}

}  // namespace nimbra::tools
