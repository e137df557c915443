// The command line of the substitute Nimbra in its serving mode:
//   nimbra.exe --serve [--quit-delay-ms N] [--hold PATH | --no-hold] [--no-window]
//              [--no-mapping] [--lifetime-ms N] [--log FILE]
// Any other command line (none at all included) is an ordinary start.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nimbra::tools {

struct ServeOptions {
  std::uint32_t quitDelayMs = 0;         // how long the pack stays held after WM_QUIT
  std::optional<std::string> holdPath;   // empty: dwix.cok next to the executable
  bool hold = true;
  bool window = true;                    // the "TNimbraMainForm" window
  bool mapping = true;                   // the mapping "nimbra_memfile"
  std::uint32_t lifetimeMs = 120000;     // a forgotten substitute ends by itself
  std::optional<std::string> logPath;    // empty: nimbra.log next to the executable
};

// True when the arguments (without the program name) ask for the serving mode.
bool asksToServe(const std::vector<std::string>& arguments);
// The options of a serving command line; nothing when it is malformed.
std::optional<ServeOptions> parseServeOptions(const std::vector<std::string>& arguments);

}  // namespace nimbra::tools
