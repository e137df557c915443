#include "child_roles.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "deployment/exit_code.h"
#include "deployment/run_expiry.h"
#include "platform/codes.h"
#include "platform/win32/handles.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_system_info.h"
#include "process_facts.h"

namespace nimbra::win32::testing {
namespace {

// A holder lets go when told, or after this long if the test died.
constexpr DWORD kLongestHoldMs = 60000;

UniqueHandle openEvent(const char* name) {
  return UniqueHandle(::OpenEventA(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, name));
}

// Signals ready, then waits for release.
int holdUntilReleased(const char* readyName, const char* releaseName) {
  const UniqueHandle ready = openEvent(readyName);
  const UniqueHandle release = openEvent(releaseName);
  if (!ready || !release) return 3;
  ::SetEvent(ready.get());
  ::WaitForSingleObject(release.get(), kLongestHoldMs);
  return 0;
}

// Writes beside the target and renames, so that a test polling for the file never
// reads it half-written.
int writeResult(const std::string& path, const std::string& text) {
  const std::string partial = path + ".part";
  {
    const UniqueFile file(::CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 4;
    DWORD written = 0;
    if (!::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size())
      return 5;
  }
  return ::MoveFileExA(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 6;
}

// --hold-file <path> <ready> <release>: keeps the file open with no sharing.
int holdFile(char** argv) {
  const UniqueFile file(::CreateFileA(argv[2], GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return 2;
  return holdUntilReleased(argv[3], argv[4]);
}

// --hold-mapping <name> <ready> <release>: keeps a 64-byte page-file mapping of that name.
int holdMapping(char** argv) {
  const UniqueHandle mapping(
      ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 64, argv[2]));
  if (!mapping) return 2;
  return holdUntilReleased(argv[3], argv[4]);
}

// --write-command-line <file> ...: the command line exactly as the process got it.
int writeCommandLine(char** argv) { return writeResult(argv[2], ::GetCommandLineA()); }

// --write-current-directory <file>
int writeCurrentDirectory(char** argv) {
  char folder[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, folder);
  return writeResult(argv[2], folder);
}

// --write-version <file>: the extended version record as
// "major.minor.build platform product|service pack".
int writeVersion(char** argv) {
  Win32SystemInfo system;
  const auto record = system.versionRecord(true);
  if (!record) return writeResult(argv[2], "none");
  return writeResult(argv[2], std::to_string(record->major) + "." + std::to_string(record->minor) +
                                  "." + std::to_string(record->build) + " " +
                                  std::to_string(record->platformId) + " " +
                                  std::to_string(record->productType) + "|" + record->servicePack);
}

// --sleep-then-write <ms> <file>
int sleepThenWrite(char** argv) {
  ::Sleep(std::stoul(argv[2]));
  return writeResult(argv[3], "done");
}

// --print <count> <text> <ms>: writes text count times to standard output,
// then sleeps.
int print(char** argv) {
  const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
  const std::string text = argv[3];
  for (unsigned long i = std::stoul(argv[2]); i > 0; --i) {
    DWORD written = 0;
    if (!::WriteFile(output, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) return 2;
  }
  ::Sleep(std::stoul(argv[4]));
  return 0;
}

// --flood <bytes> <writers>: writes blocks of that many 'x' to standard output
// without pause until it is ended or the pipe closes. With more than one
// writer it first starts a copy of itself for the others, on the same
// output: while one waits for its next block, the other's fills the pipe.
int flood(char** argv) {
  const std::string block(std::stoul(argv[2]), 'x');
  const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
  if (const unsigned long writers = std::stoul(argv[3]); writers > 1) {
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string commandLine = "\"" + std::string(self) + "\" --flood " + argv[2] + " " + std::to_string(writers - 1);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    PROCESS_INFORMATION copy{};
    if (!::CreateProcessA(self, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &copy))
      return 3;
    ::CloseHandle(copy.hThread);
    ::CloseHandle(copy.hProcess);
  }
  for (DWORD written = 0; ::WriteFile(output, block.data(), static_cast<DWORD>(block.size()), &written, nullptr);) {
  }
  return 2;
}

// --print-environment: each variable of its environment block, with a line
// feed after it, to standard output.
int printEnvironment() {
  char* const block = ::GetEnvironmentStringsA();
  if (block == nullptr) return 2;
  std::string lines;
  for (std::string_view variable = block; !variable.empty(); variable = variable.data() + variable.size() + 1)
    lines.append(variable).append(1, '\n');
  ::FreeEnvironmentStringsA(block);
  const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD written = 0;
  return ::WriteFile(output, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr) ? 0 : 3;
}

// --write-to-handle <number> <text>: writes text to the handle of that
// number, should this process have one.
int writeToHandle(char** argv) {
  const auto handle = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(std::stoul(argv[2])));
  DWORD written = 0;
  return ::WriteFile(handle, argv[3], static_cast<DWORD>(std::strlen(argv[3])), &written, nullptr) ? 0 : 2;
}

// --write-parent <file>: the executable name of the process that started this one.
int writeParent(char** argv) { return writeResult(argv[2], tools::parentProcessName()); }

// The elevation the desktop shell's check was asked about, as a letter:
// N(ot elevated), E(levated), U(nknown), - (not asked).
char askedAbout = '-';
bool Note(platform::ShellElevation elevation) {
  askedAbout = "NEU"[static_cast<int>(elevation)];
  return true;
}
bool AnyShell(platform::ShellElevation elevation) { return Note(elevation); }
bool UnelevatedShellOnly(platform::ShellElevation elevation) {
  return Note(elevation) && elevation == platform::ShellElevation::NotElevated;
}

// --desktop-shell any|unelevated <program> <folder>: asks the desktop shell to
// start the program, the check taking any shell or unelevated ones only, and
// prints "<failed step> <its HRESULT in hex> <elevation asked about>". Wine
// under emulation crashes at its end a process that asked the shell twice, so
// each request after a suite's first is made in a process of its own.
int askDesktopShell(char** argv) {
  const platform::DesktopShellCheck check = std::string_view(argv[2]) == "any" ? AnyShell : UnelevatedShellOnly;
  const platform::DesktopShellResult result =
      Win32Processes().shellExecuteAsDesktop("open", argv[3], "", argv[4], win::kSwShowNormal, check);
  char line[64];
  const int length = ::wsprintfA(line, "%d %08lx %c", static_cast<int>(result.failedStep),
                                 static_cast<unsigned long>(result.result), askedAbout);
  DWORD written = 0;
  return ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), line, static_cast<DWORD>(length), &written, nullptr) ? 0 : 2;
}

// --watchdog <ms> blocked|paused <log>: works watched by the real watchdog
// for that long, as a run does: blocks for ever in a read of a pipe that
// nobody writes, or pauses it (a box is up) for twice as long and ends.
int runWatched(char** argv) {
  Win32Platform real;
  platform::Platform platform = real.platform();
  RunLog log(platform, argv[4]);
  RunExpiry expiry;
  expiry.recordIn(log);
  log.atStep("reading a pipe that nobody writes");
  const DWORD budgetMs = std::stoul(argv[2]);
  auto work = [&] {
    if (std::string_view(argv[3]) == "paused") {
      const platform::PausedWatchdog paused(platform.watchdog);
      ::Sleep(2 * budgetMs);
      return;
    }
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    char byte = 0;
    DWORD got = 0;
    if (::CreatePipe(&read, &write, nullptr, 0)) ::ReadFile(read, &byte, 1, &got, nullptr);
  };
  auto expire = [&] { expiry.expire(); };
  return platform.watchdog.watch(budgetMs, static_cast<std::uint32_t>(ExitCode::Failed), platform::Callback(work),
                                 platform::Callback(expire))
             ? 0
             : 2;
}

}  // namespace

std::optional<int> runChildRole(int argc, char** argv) {
  if (argc < 2) return std::nullopt;
  const std::string_view role = argv[1];
  if (role == "--hold-file" && argc == 5) return holdFile(argv);
  if (role == "--hold-mapping" && argc == 5) return holdMapping(argv);
  if (role == "--write-command-line" && argc >= 3) return writeCommandLine(argv);
  if (role == "--write-current-directory" && argc == 3) return writeCurrentDirectory(argv);
  if (role == "--write-version" && argc == 3) return writeVersion(argv);
  if (role == "--sleep-then-write" && argc == 4) return sleepThenWrite(argv);
  if (role == "--print" && argc == 5) return print(argv);
  if (role == "--flood" && argc == 4) return flood(argv);
  if (role == "--print-environment" && argc == 2) return printEnvironment();
  if (role == "--write-to-handle" && argc == 4) return writeToHandle(argv);
  if (role == "--write-parent" && argc == 3) return writeParent(argv);
  if (role == "--desktop-shell" && argc == 5) return askDesktopShell(argv);
  if (role == "--watchdog" && argc == 5) return runWatched(argv);
  return std::nullopt;
}

}  // namespace nimbra::win32::testing
