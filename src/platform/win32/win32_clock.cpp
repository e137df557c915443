#include "platform/win32/win32_clock.h"

#include <windows.h>

namespace nimbra::win32 {

std::optional<std::int64_t> Win32Clock::performanceCounter() {
  LARGE_INTEGER counter{};
  if (!::QueryPerformanceCounter(&counter)) return std::nullopt;
  return counter.QuadPart;
}

std::uint32_t Win32Clock::tickCount() { return ::GetTickCount(); }

void Win32Clock::sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

namespace {

std::int64_t HundredNanoseconds(const SYSTEMTIME& time) {
  FILETIME file{};
  ::SystemTimeToFileTime(&time, &file);
  return (static_cast<std::int64_t>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
}

}  // namespace

platform::LocalTime Win32Clock::localTime() {
  SYSTEMTIME utc{};
  ::GetSystemTime(&utc);
  SYSTEMTIME local = utc;
  // The rule of the current time zone for this very moment, daylight saving included.
  ::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
  constexpr std::int64_t kPerMinute = 600000000;
  const auto offset = static_cast<int>((HundredNanoseconds(local) - HundredNanoseconds(utc)) / kPerMinute);
  return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond, local.wMilliseconds,
          offset};
}

}  // namespace nimbra::win32
