// win-probe.exe: small Win32 acts for the tests of the test tools, each one
// call or two, so that a Python test can see what another process sees.
//
//   win-probe.exe boxes BOX...        shows the message boxes one after another;
//       BOX is STYLE LANG CAPTION TEXT: STYLE a number (0x.. allowed), LANG "-"
//       for MessageBoxA or a language id for MessageBoxExA; CAPTION and TEXT
//       are taken as they are, or as bytes when written "hex:..". Prints one
//       {"event":"result","index":i,"result":n} per box; exit code: the
//       result of the last box.
//   win-probe.exe post-quit CLASS     posts WM_QUIT (0, 0) to the top-level
//       window of that class; exit 0, or 1 when there is none.
//   win-probe.exe window-exists CLASS exit 0 when such a window exists, else 1.
//   win-probe.exe mapping-exists NAME exit 0 when a mapping of that name exists
//       (creating a 64-byte one reports ERROR_ALREADY_EXISTS), else 1.
//   win-probe.exe open-exclusive PATH [WAIT_MS]
//       opens PATH for reading with no sharing, trying every 10 ms until
//       WAIT_MS (default 0) have passed; prints {"event":"open","ok":..,
//       "attempts":..,"elapsed_ms":..,"error":..}; exit 0 when it opened.
// Exit code 64 for a malformed command line.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "json_line.h"
#include "platform/win32/handles.h"
#include "process_facts.h"

namespace {

using namespace nimbra::tools;

constexpr int kUsage = 64;

void print(const JsonLine& line) {
  std::fputs((line.str() + "\n").c_str(), stdout);
  std::fflush(stdout);
}

std::optional<unsigned long> number(const char* text) {
  char* end = nullptr;
  const unsigned long value = std::strtoul(text, &end, 0);
  if (end == text || *end != '\0') return std::nullopt;
  return value;
}

std::optional<std::string> bytesArgument(std::string_view text) {
  constexpr std::string_view kHexPrefix = "hex:";
  if (text.substr(0, kHexPrefix.size()) != kHexPrefix) return std::string(text);
  text.remove_prefix(kHexPrefix.size());
  if (text.size() % 2 != 0) return std::nullopt;
  std::string bytes;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const std::string pair(text.substr(i, 2));
    char* end = nullptr;
    const long value = std::strtol(pair.c_str(), &end, 16);
    if (*end != '\0') return std::nullopt;
    bytes += static_cast<char>(value);
  }
  return bytes;
}

int showBoxes(int count, char** box) {
  if (count == 0 || count % 4 != 0) return kUsage;
  int result = 0;
  for (int index = 0; index < count / 4; ++index, box += 4) {
    const std::optional<unsigned long> style = number(box[0]);
    const bool plain = std::string_view(box[1]) == "-";
    const std::optional<unsigned long> language = plain ? 0 : number(box[1]);
    const std::optional<std::string> caption = bytesArgument(box[2]);
    const std::optional<std::string> text = bytesArgument(box[3]);
    if (!style || !language || !caption || !text) return kUsage;
    result = plain ? MessageBoxA(nullptr, text->c_str(), caption->c_str(), *style)
                   : MessageBoxExA(nullptr, text->c_str(), caption->c_str(), *style, static_cast<WORD>(*language));
    print(JsonLine().ascii("event", "result").number("index", index).number("result", result));
  }
  return result;
}

int postQuit(const char* windowClass) {
  HWND window = FindWindowA(windowClass, nullptr);
  if (!window) return 1;
  return PostMessageA(window, WM_QUIT, 0, 0) ? 0 : 1;
}

int mappingExists(const char* name) {
  nimbra::win32::UniqueHandle mapping(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 64, name));
  return GetLastError() == ERROR_ALREADY_EXISTS ? 0 : 1;
}

int openExclusive(const char* path, unsigned long waitMs) {
  const auto started = std::chrono::steady_clock::now();
  const auto elapsedMs = [&started] {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count();
  };
  int attempts = 0;
  for (;;) {
    ++attempts;
    nimbra::win32::UniqueFile file(
        CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    const DWORD error = file ? 0 : GetLastError();
    if (file || elapsedMs() >= static_cast<long long>(waitMs)) {
      print(JsonLine()
                .ascii("event", "open")
                .boolean("ok", file.valid())
                .number("attempts", attempts)
                .number("elapsed_ms", elapsedMs())
                .number("error", error)
                .number("unix_ms", unixMillis()));
      return file ? 0 : 1;
    }
    Sleep(10);
  }
}

}  // namespace

int main(int argc, char** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  if (argc < 3) return kUsage;
  const std::string_view act = argv[1];
  if (act == "boxes") return showBoxes(argc - 2, argv + 2);
  if (argc == 3 && act == "post-quit") return postQuit(argv[2]);
  if (argc == 3 && act == "window-exists") return FindWindowA(argv[2], nullptr) ? 0 : 1;
  if (argc == 3 && act == "mapping-exists") return mappingExists(argv[2]);
  if ((argc == 3 || argc == 4) && act == "open-exclusive") {
    const std::optional<unsigned long> waitMs = argc == 4 ? number(argv[3]) : 0UL;
    return waitMs ? openExclusive(argv[2], *waitMs) : kUsage;
  }
  return kUsage;
}
