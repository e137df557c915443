#include "serve_options.h"

#include <charconv>
#include <string_view>

namespace nimbra::tools {

namespace {

bool parseMs(const std::string& text, std::uint32_t& out) {
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, out);
  return !text.empty() && error == std::errc() && stop == end;
}

}  // namespace

bool asksToServe(const std::vector<std::string>& arguments) {
  return !arguments.empty() && arguments.front() == "--serve";
}

std::optional<ServeOptions> parseServeOptions(const std::vector<std::string>& arguments) {
  if (!asksToServe(arguments)) return std::nullopt;
  ServeOptions options;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string_view option = arguments[i];
    const bool hasValue = i + 1 < arguments.size();
    if (option == "--no-hold") {
      options.hold = false;
    } else if (option == "--no-window") {
      options.window = false;
    } else if (option == "--no-mapping") {
      options.mapping = false;
    } else if (option == "--quit-delay-ms" && hasValue) {
      if (!parseMs(arguments[++i], options.quitDelayMs)) return std::nullopt;
    } else if (option == "--lifetime-ms" && hasValue) {
      if (!parseMs(arguments[++i], options.lifetimeMs) || options.lifetimeMs == 0) return std::nullopt;
    } else if (option == "--hold" && hasValue) {
      options.holdPath = arguments[++i];
    } else if (option == "--log" && hasValue) {
      options.logPath = arguments[++i];
    } else {
      return std::nullopt;
    }
  }
  // Holding nothing and holding a named file at once is a contradiction.
  if (!options.hold && options.holdPath) return std::nullopt;
  return options;
}

}  // namespace nimbra::tools
