#include "platform/win32/win32_watchdog.h"

#include <algorithm>

namespace nimbra::win32 {

namespace {

// How long the expiry may take to record why the run ends. The run's thread
// may be stuck in a write to the same log (a stalled share), behind which a
// write on the same handle waits: the process ends all the same.
constexpr DWORD kExpiryRecordMs = 10000;

DWORD WINAPI Call(void* callback) {
  (*static_cast<platform::Callback*>(callback))();
  return 0;
}

// The record gets a thread of its own and a bounded wait (above). The run's
// thread is left as it is: suspending it could stop it holding a lock the
// record needs (the heap's). TerminateProcess, not ExitProcess, which would
// wait for the loader lock that the stuck thread may hold.
[[noreturn]] void EndTheProcess(platform::Callback& expiry, std::uint32_t exitCode) {
  if (const UniqueHandle recorder(::CreateThread(nullptr, 0, Call, &expiry, 0, nullptr)); recorder)
    ::WaitForSingleObject(recorder.get(), kExpiryRecordMs);
  ::TerminateProcess(::GetCurrentProcess(), exitCode);
  __builtin_unreachable();
}

}  // namespace

// The run works on the new thread and this one watches, not the other way
// round: under qemu-i386, 32-bit Wine hangs the main thread's volume queries
// (every GetFileInformationByHandle) while a second thread waits, but not a
// second thread's while the main one waits. The watcher counts down the
// unpaused time between commands; a command arriving as the budget runs out
// does not save the run. When it returns, no thread of the run is left.
bool Win32Watchdog::watch(std::uint32_t budgetMs, std::uint32_t exitCode, platform::Callback work,
                          platform::Callback expiry) {
  command_.store(Command::Work);
  told_.reset(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
  const UniqueHandle worker(told_ ? ::CreateThread(nullptr, 0, Call, &work, 0, nullptr) : nullptr);
  if (!worker) return false;
  const HANDLE awaited[] = {worker.get(), told_.get()};
  std::uint32_t left = budgetMs;
  bool paused = false;
  for (;;) {
    const DWORD since = ::GetTickCount();
    if (::WaitForMultipleObjects(2, awaited, FALSE, paused ? INFINITE : left) == WAIT_OBJECT_0) break;
    if (!paused) left -= std::min<std::uint32_t>(left, ::GetTickCount() - since);
    paused = command_.load() == Command::Pause;
    if (!paused && left == 0) EndTheProcess(expiry, exitCode);
  }
  told_.reset();
  return true;
}

void Win32Watchdog::tell(Command command) {
  if (!told_) return;
  command_.store(command);
  ::SetEvent(told_.get());
}

}  // namespace nimbra::win32
