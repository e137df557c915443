#include "platform/win32/win32_watchdog.h"

#include <algorithm>

namespace nimbra::win32 {

namespace {

// How long the expiry may take to record why the run ends. The run's thread
// may be stuck in a write to the same log (a stalled share), behind which a
// write on the same handle waits: the process ends all the same.
constexpr DWORD kExpiryRecordMs = 10000;
// How long disarm() waits for the watcher to end. Under qemu-i386 a process
// that ends while a second thread still lives may crash in the emulator.
constexpr DWORD kWatcherEndMs = 10000;

}  // namespace

bool Win32Watchdog::arm(std::uint32_t budgetMs, std::uint32_t exitCode, platform::WatchdogExpiry expiry) {
  budgetMs_ = budgetMs;
  exitCode_ = exitCode;
  expiry_ = expiry;
  told_.reset(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
  if (told_) thread_.reset(::CreateThread(nullptr, 0, Watch, this, 0, nullptr));
  return static_cast<bool>(thread_);
}

void Win32Watchdog::tell(Command command) {
  if (!thread_) return;
  command_.store(command);
  ::SetEvent(told_.get());
}

void Win32Watchdog::disarm() {
  if (!thread_) return;
  tell(Command::Stop);
  ::WaitForSingleObject(thread_.get(), kWatcherEndMs);
  thread_.reset();
}

// Counts down the unpaused time between commands; a command arriving as the
// budget runs out does not save the run, except a stop.
DWORD WINAPI Win32Watchdog::Watch(void* self) {
  auto& watchdog = *static_cast<Win32Watchdog*>(self);
  std::uint32_t left = watchdog.budgetMs_;
  bool paused = false;
  for (;;) {
    const DWORD since = ::GetTickCount();
    ::WaitForSingleObject(watchdog.told_.get(), paused ? INFINITE : left);
    if (!paused) left -= std::min<std::uint32_t>(left, ::GetTickCount() - since);
    const Command command = watchdog.command_.load();
    if (command == Command::Stop) return 0;
    paused = command == Command::Pause;
    if (!paused && left == 0) watchdog.endTheProcess();
  }
}

DWORD WINAPI Win32Watchdog::Expire(void* self) {
  (*static_cast<Win32Watchdog*>(self)->expiry_)();
  return 0;
}

// The record gets a thread of its own and a bounded wait (above). The run's
// thread is left as it is: suspending it could stop it holding a lock the
// record needs (the heap's). TerminateProcess, not ExitProcess, which would
// wait for the loader lock that the stuck thread may hold.
void Win32Watchdog::endTheProcess() {
  if (const UniqueHandle recorder(::CreateThread(nullptr, 0, Expire, this, 0, nullptr)); recorder)
    ::WaitForSingleObject(recorder.get(), kExpiryRecordMs);
  ::TerminateProcess(::GetCurrentProcess(), exitCode_);
}

}  // namespace nimbra::win32
