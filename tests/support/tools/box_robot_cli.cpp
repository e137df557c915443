// box-robot.exe: starts a program, answers its message boxes from a script,
// waits for its end and writes a transcript, one JSON object per line.
//
//   box-robot.exe [--answers yes,no,...] [--unscripted dismiss|leave]
//                 [--cwd DIR] [--timeout-ms N] [--poll-ms N] [--transcript FILE]
//                 [--raw-tail TEXT] [--token full|filtered] -- PROGRAM [ARGUMENT...]
//
// The program's command line is PROGRAM and the ARGUMENTs, each quoted as the
// C runtime expects; with --raw-tail it is PROGRAM, a blank and TEXT unchanged.
// With --token filtered it runs as an administrator's programs run without
// elevation: the Administrators group in its token is for deny only.
// Transcript (stdout unless --transcript): a "start" line, a "box" line per box
// (box_transcript.h), a "timeout" line when the time-out ended the program,
// and an "exit" line with its exit code.
// Exit code: 0 the program ended by itself, 1 usage, 2 it could not be
// started, 3 the time-out killed it.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "box_robot.h"
#include "box_transcript.h"
#include "command_line.h"
#include "platform/win32/handles.h"
#include "process_facts.h"

namespace {

using namespace nimbra::tools;

// What TerminateProcess makes the program's exit code on a time-out, as the
// coreutils "timeout" does.
constexpr UINT kKilledExitCode = 124;

enum RobotExit { kEnded = 0, kUsage = 1, kNotStarted = 2, kTimedOut = 3 };

struct Options {
  std::vector<Answer> answers;
  Unscripted unscripted = Unscripted::Dismiss;
  std::optional<std::string> currentDirectory;
  DWORD timeoutMs = 60000;
  DWORD pollMs = 20;
  std::optional<std::string> transcript;
  std::optional<std::string> rawTail;
  bool filteredToken = false;
  std::string program;
  std::vector<std::string> arguments;
};

bool parseNumber(const char* text, DWORD& out) {
  char* end = nullptr;
  const unsigned long value = std::strtoul(text, &end, 10);
  if (end == text || *end != '\0') return false;
  out = static_cast<DWORD>(value);
  return true;
}

bool parseAnswers(std::string_view list, std::vector<Answer>& out) {
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    const std::optional<Answer> answer = parseAnswer(list.substr(0, comma));
    if (!answer) return false;
    out.push_back(*answer);
    list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
  }
  return true;
}

std::optional<Options> parseOptions(int argc, char** argv) {
  Options options;
  int i = 1;
  for (; i < argc; ++i) {
    const std::string_view option = argv[i];
    if (option == "--") {
      ++i;
      break;
    }
    if (i + 1 >= argc) return std::nullopt;
    const char* value = argv[++i];
    if (option == "--answers") {
      if (!parseAnswers(value, options.answers)) return std::nullopt;
    } else if (option == "--unscripted") {
      const std::string_view word = value;
      if (word != "dismiss" && word != "leave") return std::nullopt;
      options.unscripted = word == "leave" ? Unscripted::Leave : Unscripted::Dismiss;
    } else if (option == "--cwd") {
      options.currentDirectory = value;
    } else if (option == "--timeout-ms") {
      if (!parseNumber(value, options.timeoutMs)) return std::nullopt;
    } else if (option == "--poll-ms") {
      if (!parseNumber(value, options.pollMs) || options.pollMs == 0) return std::nullopt;
    } else if (option == "--transcript") {
      options.transcript = value;
    } else if (option == "--raw-tail") {
      options.rawTail = value;
    } else if (option == "--token") {
      const std::string_view word = value;
      if (word != "full" && word != "filtered") return std::nullopt;
      options.filteredToken = word == "filtered";
    } else {
      return std::nullopt;
    }
  }
  if (i >= argc) return std::nullopt;
  options.program = argv[i++];
  for (; i < argc; ++i) options.arguments.emplace_back(argv[i]);
  if (options.rawTail && !options.arguments.empty()) return std::nullopt;
  return options;
}

// This process's token with the Administrators group for deny only, as
// Windows gives it to the programs an administrator starts without elevation:
// CheckTokenMembership (IsUserAnAdmin) then says no. Null on failure.
nimbra::win32::UniqueHandle filteredToken() {
  nimbra::win32::UniqueHandle own;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_ASSIGN_PRIMARY | TOKEN_QUERY, own.put()))
    return {};
  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  PSID administrators = nullptr;
  if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0,
                                0, 0, &administrators))
    return {};
  SID_AND_ATTRIBUTES denyOnly{administrators, 0};
  nimbra::win32::UniqueHandle filtered;
  const BOOL made = CreateRestrictedToken(own.get(), 0, 1, &denyOnly, 0, nullptr, 0, nullptr, filtered.put());
  FreeSid(administrators);
  return made ? std::move(filtered) : nimbra::win32::UniqueHandle();
}

// Each line is flushed at once, so that a transcript survives a crash of the robot.
class Transcript {
 public:
  explicit Transcript(std::FILE* out) : out_(out) {}
  ~Transcript() {
    if (out_ && out_ != stdout) std::fclose(out_);
  }
  Transcript(const Transcript&) = delete;
  Transcript& operator=(const Transcript&) = delete;

  bool ok() const { return out_ != nullptr; }
  void write(const JsonLine& line) {
    std::fputs((line.str() + "\n").c_str(), out_);
    std::fflush(out_);
  }

 private:
  std::FILE* out_;
};

std::FILE* openTranscript(const Options& options) {
  if (!options.transcript) {
    _setmode(_fileno(stdout), _O_BINARY);
    return stdout;
  }
  return std::fopen(options.transcript->c_str(), "wb");
}

void usage() {
  std::fputs(
      "usage: box-robot.exe [--answers yes,no,ok,cancel] [--unscripted dismiss|leave] [--cwd DIR]\n"
      "                     [--timeout-ms N] [--poll-ms N] [--transcript FILE] [--raw-tail TEXT]\n"
      "                     [--token full|filtered]\n"
      "                     -- PROGRAM [ARGUMENT...]\n",
      stderr);
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<Options> options = parseOptions(argc, argv);
  if (!options) {
    usage();
    return kUsage;
  }
  Transcript transcript(openTranscript(*options));
  if (!transcript.ok()) {
    std::fprintf(stderr, "box-robot: cannot write %s\n", options->transcript->c_str());
    return kUsage;
  }

  const auto started = std::chrono::steady_clock::now();
  const auto elapsedMs = [&started](std::chrono::steady_clock::time_point at) {
    return static_cast<std::int64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(at - started).count());
  };

  std::string commandLine = options->rawTail ? quoteArgument(options->program) + " " + *options->rawTail
                                             : joinCommandLine(options->program, options->arguments);
  std::string mutableCommandLine = commandLine;  // CreateProcessA may write into it
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION created{};
  const char* directory = options->currentDirectory ? options->currentDirectory->c_str() : nullptr;
  const nimbra::win32::UniqueHandle token = options->filteredToken ? filteredToken() : nimbra::win32::UniqueHandle();
  const bool launched = options->filteredToken
                            ? token && CreateProcessAsUserA(token.get(), nullptr, mutableCommandLine.data(), nullptr,
                                                            nullptr, FALSE, 0, nullptr, directory, &startup, &created)
                            : CreateProcessA(nullptr, mutableCommandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                             directory, &startup, &created);
  if (!launched) {
    const DWORD error = GetLastError();
    transcript.write(JsonLine()
                         .ascii("event", "error")
                         .ascii("what", "CreateProcess")
                         .number("error", error)
                         .text("command_line", ansiToWide(commandLine))
                         .hex("command_line_hex", commandLine));
    return kNotStarted;
  }
  nimbra::win32::UniqueHandle process(created.hProcess);
  nimbra::win32::UniqueHandle thread(created.hThread);

  transcript.write(JsonLine()
                       .ascii("event", "start")
                       .number("pid", created.dwProcessId)
                       .number("acp", GetACP())
                       .text("command_line", ansiToWide(commandLine))
                       .hex("command_line_hex", commandLine)
                       .number("unix_ms", unixMillis()));

  BoxRobot robot(created.dwProcessId, options->answers, options->unscripted);
  bool timedOut = false;
  for (;;) {
    while (const std::optional<BoxRecord> record = robot.poll()) {
      transcript.write(boxRecordLine(*record, robot.records().size() - 1, elapsedMs(record->seenAt), unixMillis()));
    }
    if (WaitForSingleObject(process.get(), options->pollMs) == WAIT_OBJECT_0) break;
    if (elapsedMs(std::chrono::steady_clock::now()) >= options->timeoutMs) {
      TerminateProcess(process.get(), kKilledExitCode);
      WaitForSingleObject(process.get(), 5000);
      timedOut = true;
      transcript.write(JsonLine()
                           .ascii("event", "timeout")
                           .number("t_ms", elapsedMs(std::chrono::steady_clock::now()))
                           .number("unix_ms", unixMillis()));
      break;
    }
  }

  DWORD exitCode = 0;
  GetExitCodeProcess(process.get(), &exitCode);
  transcript.write(JsonLine()
                       .ascii("event", "exit")
                       .number("code", exitCode)
                       .boolean("timed_out", timedOut)
                       .number("boxes", static_cast<std::int64_t>(robot.records().size()))
                       .number("answers_left", static_cast<std::int64_t>(robot.answersLeft()))
                       .number("t_ms", elapsedMs(std::chrono::steady_clock::now()))
                       .number("unix_ms", unixMillis()));
  return timedOut ? kTimedOut : kEnded;
}
