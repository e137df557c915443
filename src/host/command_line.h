// The process command line, split the way the installer reads its arguments.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "text/ascii_case.h"

namespace nimbra {

// Argument `index` of a command line (0 is the program path), or empty when
// there are fewer arguments. Blanks and control characters (bytes 0x01-0x20)
// separate arguments; a double quotation mark starts or ends a group in which
// they do not, and is itself dropped ("a b"c is the one argument `a bc`; an
// unclosed group runs to the end). A NUL byte ends the command line.
std::string CommandLineArgument(std::string_view commandLine, int index);

// The words of a command line: every argument, split as above; element 0 is
// the program path. A run splits its command line once and reads these.
using CommandLineWords = std::vector<std::string>;
CommandLineWords CommandLineArguments(std::string_view commandLine);

}  // namespace nimbra
