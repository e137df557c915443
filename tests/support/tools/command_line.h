// Building a command line that the C runtime of the started program splits
// back into exactly the given arguments (the rules of CommandLineToArgvW and
// of msvcrt: backslashes are literal unless they precede a quotation mark).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace nimbra::tools {

// The argument as it must appear on a command line; quoted only when needed
// (empty, or holding a blank, a tab or a quotation mark).
std::string quoteArgument(std::string_view argument);

// program and arguments, each quoted as needed, joined by single blanks.
std::string joinCommandLine(std::string_view program, const std::vector<std::string>& arguments);

}  // namespace nimbra::tools
