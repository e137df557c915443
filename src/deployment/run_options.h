// What a command line asks of the run besides the modest mode: the usage box,
// a quiet run for deployment tools, a log file. Decided from the text alone.
//
//   nimbra-pack-update.exe modest runapp quiet "log=C:\Logs\nimbra pack.log"
//
// Words are compared after ASCII lower-casing. Argument 2 keeps its meaning
// ("runapp" only there starts Nimbra), so the words below go after it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "host/command_line.h"

namespace nimbra {

struct RunOptions {
  bool help = false;   // argument 1 is "/?", "-?", "/help", "-h" or "--help": show the usage, nothing else
  bool quiet = false;  // argument 1 "modest" and "quiet" as argument 2 or later: no box at all
  std::optional<std::string> logPath;  // PATH of the first argument "log=PATH" (prefix in any case), not empty
};

RunOptions ReadRunOptions(const CommandLineWords& words);

// PATH when argument is "log=PATH" with a prefix in any letter case and a PATH that is not empty.
std::optional<std::string> LogPathArgument(std::string_view argument);

}  // namespace nimbra
