// The fake watchdog: it counts no time and calls the work on the caller's
// thread. A test says when the budget runs out (runOut()), and reads what
// the run asked of it.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/watchdog.h"

namespace nimbra::fake {

class FakeWatchdog final : public platform::Watchdog {
 public:
  bool noThread = false;
  bool watching = false;
  bool paused = false;
  std::uint32_t budgetMs = 0;
  std::uint32_t exitCode = 0;  // what the process would end with
  bool ranOut = false;

  bool watch(std::uint32_t budget, std::uint32_t code, platform::Callback work, platform::Callback expiry) override {
    if (noThread) return false;
    budgetMs = budget;
    exitCode = code;
    expiry_ = expiry;
    watching = true;
    work();
    watching = false;
    return true;
  }
  void pause() override { paused = true; }
  void resume() override { paused = false; }

  // The budget runs out now: the expiry runs, as the real one's does before
  // it ends the process; this process goes on. Not while paused.
  void runOut() {
    if (!watching || paused) return;
    ranOut = true;
    (*expiry_)();
  }

 private:
  std::optional<platform::Callback> expiry_;
};

}  // namespace nimbra::fake
