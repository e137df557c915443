// The watchdog of kernel32: the run works on a thread of its own; the calling
// thread waits for it, and for its pauses, for the rest of the budget. See
// platform::Watchdog.
#pragma once

#include <atomic>

#include "platform/watchdog.h"
#include "platform/win32/handles.h"

namespace nimbra::win32 {

class Win32Watchdog final : public platform::Watchdog {
 public:
  Win32Watchdog() = default;
  Win32Watchdog(const Win32Watchdog&) = delete;
  Win32Watchdog& operator=(const Win32Watchdog&) = delete;

  bool watch(std::uint32_t budgetMs, std::uint32_t exitCode, platform::Callback work,
             platform::Callback expiry) override;
  void pause() override { tell(Command::Pause); }
  void resume() override { tell(Command::Work); }

 private:
  enum class Command { Work, Pause };

  void tell(Command command);

  std::atomic<Command> command_{Command::Work};
  UniqueHandle told_;  // auto-reset: set after each change of command_, while watching
};

}  // namespace nimbra::win32
