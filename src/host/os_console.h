// Running a command of the system's command interpreter hidden and capturing
// what it prints. Nothing of it comes from the environment: the interpreter
// is the one in the system directory, and its output comes back through a
// pipe, never through a file in a folder that another program could reach.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace nimbra {

// How long the interpreter may take; a hung one is ended and its output dropped.
inline constexpr std::uint32_t kConsoleTimeoutMs = 10000;

// Runs `"<system directory>\cmd.exe" /d /c command` hidden, in a new console
// and process group, with the system directory as its current directory,
// for at most kConsoleTimeoutMs. Returns its output converted from the OEM to
// the ANSI code page, every line followed by CR LF: "\r\n" when it did not
// start, printed nothing or timed out; "" when the system directory is unknown.
std::string RunConsoleCommand(platform::Platform& platform, std::string_view command);

// The interpreter's command line: its path in quotation marks, then /d (no
// per-user AutoRun command), /c and the command.
std::string ConsoleCommandLine(std::string_view interpreter, std::string_view command);

// Captured bytes as the text that the naming reads: each line (ending at LF
// or CR LF, any other CR dropped, a byte 0x1A ending the text) followed by
// CR LF, and at least one line, so that nothing captured reads as "\r\n".
std::string CapturedLines(std::string_view captured);

}  // namespace nimbra
