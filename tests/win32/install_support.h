// What the installer's tests under Wine put around the real platform: a clock
// that counts its (real) sleeps and can act after each, a box recorder, and
// the module's own pack read straight through the resource API.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_platform.h"

namespace nimbra::win32::testing {

class CountingClock final : public platform::Clock {
 public:
  std::optional<std::int64_t> performanceCounter() override { return real_.performanceCounter(); }
  std::uint32_t tickCount() override { return real_.tickCount(); }
  void sleep(std::uint32_t milliseconds) override {
    real_.sleep(milliseconds);
    sleeps.push_back(milliseconds);
    if (afterSleep) afterSleep(static_cast<int>(sleeps.size()));
  }
  platform::LocalTime localTime() override { return real_.localTime(); }

  std::vector<std::uint32_t> sleeps;
  std::function<void(int sleepsSoFar)> afterSleep;

 private:
  Win32Clock real_;
};

// Error boxes would wait for a click; these tests look at what they would say.
class RecordingBoxes final : public platform::MessageBoxes {
 public:
  int messageBox(const platform::BoxText& text, const platform::BoxText&, std::uint32_t) override {
    texts.push_back(text.bytes());
    return IDOK;
  }
  int messageBoxEx(const platform::BoxText& text, const platform::BoxText&, std::uint32_t, std::uint16_t) override {
    texts.push_back(text.bytes());
    return IDOK;
  }

  std::vector<std::string> texts;
};

// The real platform with the clock and the boxes above.
class InstallPlatform {
 public:
  platform::Platform platform() {
    platform::Platform real = real_.platform();
    return {real.registry, real.files, boxes, real.processes, real.system, clock, real.resources, real.watchdog};
  }

  CountingClock clock;
  RecordingBoxes boxes;

 private:
  Win32Platform real_;
};

// The COK/DWIX resource of this executable, through FindResourceA and its kin.
inline std::string modulePack() {
  const HMODULE module = ::GetModuleHandleA(nullptr);
  const HRSRC found = ::FindResourceA(module, "DWIX", "COK");
  if (found == nullptr) return {};
  const void* bytes = ::LockResource(::LoadResource(module, found));
  return std::string(static_cast<const char*>(bytes), ::SizeofResource(module, found));
}

// Names in folder (with its trailing backslash), "." and ".." left out.
inline std::vector<std::string> namesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found{};
  const HANDLE find = ::FindFirstFileA((folder + "*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (::FindNextFileA(find, &found));
  ::FindClose(find);
  return names;
}

class Stopwatch {
 public:
  double elapsedMs() const {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_).count();
  }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// A measured figure: printed for the log and kept in the test's XML report.
inline void reportFigure(const std::string& name, double milliseconds) {
  std::printf("[ figure   ] %s: %.0f ms\n", name.c_str(), milliseconds);
  ::testing::Test::RecordProperty(name, std::to_string(static_cast<long>(milliseconds)));
}

}  // namespace nimbra::win32::testing
