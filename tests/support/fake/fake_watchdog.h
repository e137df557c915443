// The fake watchdog: it counts no time. A test says when the budget runs out
// (runOut()), and reads what the run asked of it.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/watchdog.h"

namespace nimbra::fake {

class FakeWatchdog final : public platform::Watchdog {
 public:
  bool armFails = false;
  bool armed = false;
  bool paused = false;
  std::uint32_t budgetMs = 0;
  std::uint32_t exitCode = 0;  // what the process would end with
  int pauses = 0;
  bool ranOut = false;

  bool arm(std::uint32_t budget, std::uint32_t code, platform::WatchdogExpiry expiry) override {
    if (armFails) return false;
    armed = true;
    budgetMs = budget;
    exitCode = code;
    expiry_ = expiry;
    return true;
  }
  void pause() override {
    paused = armed;
    pauses += armed ? 1 : 0;
  }
  void resume() override { paused = false; }
  void disarm() override { armed = paused = false; }

  // The budget runs out now: the expiry runs, as the real one does before it
  // ends the process; this process goes on. Not while paused or disarmed.
  void runOut() {
    if (!armed || paused) return;
    ranOut = true;
    (*expiry_)();
  }

 private:
  std::optional<platform::WatchdogExpiry> expiry_;
};

}  // namespace nimbra::fake
