// Time: the clocks that seed the random generator and the sleep of retry loops.
// Retry loops sleep through this interface so that tests count sleeps without waiting.
#pragma once

#include <cstdint>
#include <optional>

namespace nimbra::platform {

// A moment in the user's local time, with its distance from UTC.
struct LocalTime {
  int year = 1601, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
  int utcOffsetMinutes = 0;  // local time minus UTC: +60 in Central Europe in winter
};

class Clock {
 public:
  virtual ~Clock() = default;
  // QueryPerformanceCounter; nullopt when it fails.
  virtual std::optional<std::int64_t> performanceCounter() = 0;
  virtual std::uint32_t tickCount() = 0;
  virtual void sleep(std::uint32_t milliseconds) = 0;
  // The current time in the local time zone, daylight saving included.
  virtual LocalTime localTime() = 0;
};

}  // namespace nimbra::platform
