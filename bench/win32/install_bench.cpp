// Writing the carried pack with InstallResourceFile (temporary file, flush,
// replace) against a plain CopyFileA of the same bytes into the same folder,
// alternated in one run so that both see the same disk and cache. Prints the
// medians and their ratio; the goal is a ratio of at most 1.2.
//
//   wine install_bench.exe [RUNS=7] [FOLDER=%TEMP%\NimbraBench]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "host/settings.h"
#include "install/crc32c.h"
#include "install/resource_installer.h"
#include "platform/win32/win32_platform.h"

namespace {

// An error box would stop the run until someone clicks it; a benchmark only reports.
class CountingBoxes final : public nimbra::platform::MessageBoxes {
 public:
  int messageBox(const nimbra::platform::BoxText& text, const nimbra::platform::BoxText&, std::uint32_t) override {
    return note(text.bytes());
  }
  int messageBoxEx(const nimbra::platform::BoxText& text, const nimbra::platform::BoxText&, std::uint32_t,
                   std::uint16_t) override {
    return note(text.bytes());
  }
  int shown = 0;

 private:
  int note(std::string_view text) {
    ++shown;
    std::fprintf(stderr, "box: %.*s\n", static_cast<int>(text.size()), text.data());
    return IDOK;
  }
};

double nowMs() {
  LARGE_INTEGER counter, frequency;
  ::QueryPerformanceCounter(&counter);
  ::QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::string defaultFolder() {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  std::string folder = temp;
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder + "NimbraBench";
}

bool writeFile(const std::string& path, std::span<const std::byte> bytes) {
  const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  ::CloseHandle(file);
  return ok;
}

// CopyFileA returns before the data is on disk; this adds what the installer pays for.
bool flushFile(const std::string& path) {
  const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool ok = ::FlushFileBuffers(file) != FALSE;
  ::CloseHandle(file);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  const std::string folder = argc > 2 ? argv[2] : defaultFolder();
  ::CreateDirectoryA(folder.c_str(), nullptr);

  nimbra::win32::Win32Platform real;
  CountingBoxes boxes;
  nimbra::platform::Platform base = real.platform();
  const nimbra::platform::Platform platform{base.registry, base.files, boxes, base.processes,
                                            base.system,   base.clock, base.resources, base.watchdog};
  nimbra::Settings settings;
  settings.englishTitle = "Nimbra update";

  const auto pack = platform.resources.find("dwix", "cok");
  if (!pack) {
    std::fprintf(stderr, "no COK/DWIX resource in this executable\n");
    return 2;
  }
  const std::string source = folder + "\\source.cok";
  const std::string installed = folder + "\\dwix.cok";
  const std::string copied = folder + "\\copy.cok";
  const std::string copiedFlushed = folder + "\\copy-flushed.cok";
  if (!writeFile(source, *pack)) {
    std::fprintf(stderr, "cannot write %s\n", source.c_str());
    return 2;
  }

  nimbra::RandomGenerator random{::GetTickCount()};
  nimbra::Crc32c crc;
  crc.update(*pack);
  const nimbra::CarriedPackCheck check{true, nimbra::PackCheck{pack->size(), crc.value()}};
  // The folder opened as the run opens it, once, and the pack written through it.
  auto install = [&] {
    const nimbra::platform::OpenedFolder held = platform.files.openFolder(folder);
    return held.folder &&
           nimbra::InstallResourceFile(platform, settings, random, "dwix", "cok", {*held.folder, "dwix.cok", installed},
                                       check) == nimbra::InstallResult::Installed;
  };
  auto copy = [&] { return ::CopyFileA(source.c_str(), copied.c_str(), FALSE) != FALSE; };
  auto copyAndFlush = [&] {
    return ::CopyFileA(source.c_str(), copiedFlushed.c_str(), FALSE) != FALSE && flushFile(copiedFlushed);
  };
  auto timed = [](auto&& action, std::vector<double>& into) {
    const double start = nowMs();
    const bool ok = action();
    into.push_back(nowMs() - start);
    return ok;
  };

  // One untimed round first: each target then exists, as an update finds it.
  bool ok = install() && copy() && copyAndFlush();
  std::vector<double> installTimes, copyTimes, copyFlushTimes;
  for (int run = 0; ok && run < runs; ++run) {
    // The order alternates, so that neither side always follows the other.
    if (run % 2 == 0) {
      ok = timed(install, installTimes) && timed(copy, copyTimes) && timed(copyAndFlush, copyFlushTimes);
    } else {
      ok = timed(copyAndFlush, copyFlushTimes) && timed(copy, copyTimes) && timed(install, installTimes);
    }
  }
  if (!ok || boxes.shown > 0) {
    std::fprintf(stderr, "a write failed (error %lu)\n", ::GetLastError());
    return 1;
  }

  const double installMs = median(installTimes), copyMs = median(copyTimes), copyFlushMs = median(copyFlushTimes);
  std::printf("pack: %zu bytes, %d runs each, folder %s\n", pack->size(), runs, folder.c_str());
  std::printf("InstallResourceFile (flush included): median %8.1f ms\n", installMs);
  std::printf("CopyFileA:                            median %8.1f ms\n", copyMs);
  std::printf("CopyFileA + FlushFileBuffers:         median %8.1f ms\n", copyFlushMs);
  std::printf("ratio InstallResourceFile / CopyFileA: %.2f (goal at most 1.20)\n", installMs / copyMs);
  std::printf("ratio InstallResourceFile / CopyFileA + flush: %.2f\n", installMs / copyFlushMs);

  for (const std::string& path : {source, installed, copied, copiedFlushed}) ::DeleteFileA(path.c_str());
  ::RemoveDirectoryA(folder.c_str());
  return 0;
}
