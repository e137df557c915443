// The watchdog of kernel32: one thread that waits on an event for the rest of
// the budget. See platform::Watchdog.
#pragma once

#include <atomic>
#include <optional>

#include "platform/watchdog.h"
#include "platform/win32/handles.h"

namespace nimbra::win32 {

class Win32Watchdog final : public platform::Watchdog {
 public:
  Win32Watchdog() = default;
  ~Win32Watchdog() { disarm(); }
  Win32Watchdog(const Win32Watchdog&) = delete;
  Win32Watchdog& operator=(const Win32Watchdog&) = delete;

  bool arm(std::uint32_t budgetMs, std::uint32_t exitCode, platform::WatchdogExpiry expiry) override;
  void pause() override { tell(Command::Pause); }
  void resume() override { tell(Command::Work); }
  void disarm() override;

 private:
  enum class Command { Work, Pause, Stop };

  void tell(Command command);
  static DWORD WINAPI Watch(void* self);
  static DWORD WINAPI Expire(void* self);
  void endTheProcess();

  std::atomic<Command> command_{Command::Work};
  UniqueHandle told_;  // auto-reset: set after each change of command_
  UniqueHandle thread_;
  std::uint32_t budgetMs_ = 0;
  std::uint32_t exitCode_ = 0;
  std::optional<platform::WatchdogExpiry> expiry_;
};

}  // namespace nimbra::win32
