#include "deployment/run_options.h"

#include <algorithm>
#include <array>

namespace nimbra {

namespace {

constexpr std::string_view kLogPrefix = "log=";

bool IsHelpWord(std::string_view lowered) {
  constexpr std::array<std::string_view, 5> kHelpWords = {"/?", "-?", "/help", "-h", "--help"};
  return std::find(kHelpWords.begin(), kHelpWords.end(), lowered) != kHelpWords.end();
}

}  // namespace

std::optional<std::string> LogPathArgument(std::string_view argument) {
  if (argument.size() <= kLogPrefix.size() || ToLowerAscii(argument.substr(0, kLogPrefix.size())) != kLogPrefix)
    return std::nullopt;
  return std::string(argument.substr(kLogPrefix.size()));
}

RunOptions ReadRunOptions(const CommandLineWords& arguments) {
  RunOptions options;
  const std::string first = arguments.size() > 1 ? ToLowerAscii(arguments[1]) : std::string();
  options.help = IsHelpWord(first);
  for (std::size_t index = 1; index < arguments.size(); ++index) {
    if (!options.logPath) options.logPath = LogPathArgument(arguments[index]);
    if (index >= 2 && first == "modest" && ToLowerAscii(arguments[index]) == "quiet") options.quiet = true;
  }
  return options;
}

}  // namespace nimbra
