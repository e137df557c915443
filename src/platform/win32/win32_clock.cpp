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

}  // namespace nimbra::win32
