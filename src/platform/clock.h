// Time: the clocks that seed the random generator and the sleep of retry loops.
// Retry loops sleep through this interface so that tests count sleeps without waiting.
#pragma once

#include <cstdint>
#include <optional>

namespace nimbra::platform {

class Clock {
 public:
  virtual ~Clock() = default;
  // QueryPerformanceCounter; nullopt when it fails.
  virtual std::optional<std::int64_t> performanceCounter() = 0;
  virtual std::uint32_t tickCount() = 0;
  virtual void sleep(std::uint32_t milliseconds) = 0;
};

}  // namespace nimbra::platform
