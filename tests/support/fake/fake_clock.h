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
  std::uint32_t tickStep = 0;         // ticks advance by this after each tickCount
  std::vector<std::uint32_t> sleeps;  // every sleep, in order
  std::function<void()> onSleep;      // runs after each sleep
  // The local time at nowMs == 0; it advances with the sleeps.
  platform::LocalTime startTime{2026, 12, 8, 11, 47, 26, 0, 60};

  std::optional<std::int64_t> performanceCounter() override { return counter; }
  std::uint32_t tickCount() override {
    const std::uint32_t now = ticks;
    ticks += tickStep;
    return now;
  }
  void sleep(std::uint32_t milliseconds) override {
    sleeps.push_back(milliseconds);
    nowMs += milliseconds;
    if (onSleep) onSleep();
  }
  // startTime + nowMs, within the same day.
  platform::LocalTime localTime() override {
    platform::LocalTime time = startTime;
    std::uint64_t ms = time.millisecond + 1000ull * (time.second + 60ull * (time.minute + 60ull * time.hour)) + nowMs;
    time.millisecond = static_cast<int>(ms % 1000);
    time.second = static_cast<int>(ms / 1000 % 60);
    time.minute = static_cast<int>(ms / 60000 % 60);
    time.hour = static_cast<int>(ms / 3600000 % 24);
    return time;
  }
};

}  // namespace nimbra::fake
