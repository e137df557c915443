// The fake clock.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "platform/clock.h"

namespace nimbra::fake {

// Time stands still except when the program sleeps.
class FakeClock : public platform::Clock {
 public:
  std::uint64_t nowMs = 0;
  std::optional<std::int64_t> counter = 0x123456789A;
  std::uint32_t ticks = 4242;
  std::vector<std::uint32_t> sleeps;  // every sleep, in order
  std::function<void()> onSleep;      // runs after each sleep

  std::optional<std::int64_t> performanceCounter() override { return counter; }
  std::uint32_t tickCount() override { return ticks; }
  void sleep(std::uint32_t milliseconds) override {
    sleeps.push_back(milliseconds);
    nowMs += milliseconds;
    if (onSleep) onSleep();
  }
};

}  // namespace nimbra::fake
