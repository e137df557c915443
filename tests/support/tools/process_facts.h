// Facts about the running process that the tools put into their logs, and the
// one way they write a log line.
#pragma once

#include <cstdint>
#include <string>

namespace nimbra::tools {

// Wall-clock milliseconds since 1970-01-01 UTC: comparable across processes
// and with Python's time.time() on the same machine.
std::int64_t unixMillis();

std::string currentDirectoryAnsi();
std::wstring currentDirectoryWide();
// The folder of the running executable, with its trailing backslash.
std::string moduleFolderAnsi();

// The executable name (e.g. "explorer.exe") of the process that started this
// one; "" when it has ended or cannot be found.
std::string parentProcessName();

// ANSI bytes (the process's code page) as wide text.
std::wstring ansiToWide(const std::string& text);

// Appends line + LF to the file, creating it when absent. The file is opened
// for this one write with all sharing, so that readers and other writers are
// never locked out. False when the file cannot be opened or written.
bool appendLine(const std::string& path, const std::string& line);

}  // namespace nimbra::tools
