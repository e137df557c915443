// The end of a run that does not end: the installer runs elevated on folders
// that others may control, where an open or a read may block for ever (a
// pipe, a stalled share). Past kRunWorkBudgetMs of work outside any box (a box
// waits for a person, for as long as they like), the watchdog ends the process
// with ExitCode::Failed, and this records why in the log. Nothing is lost: the
// pack is replaced only by the run's last step, and the next run removes the
// temporaries.
#pragma once

#include <atomic>
#include <cstdint>

#include "deployment/run_log.h"

namespace nimbra {

inline constexpr std::uint32_t kRunWorkBudgetMs = 10 * 60 * 1000;

class RunExpiry {
 public:
  // From now on an expiry records in log, which must outlive the watch; until
  // then (the log is being opened) it records nothing.
  void recordIn(RunLog& log) { log_.store(&log, std::memory_order_release); }

  // "run stopped: no end after 10 minutes of work outside any box, while <step>".
  void expire() noexcept;

 private:
  std::atomic<RunLog*> log_{nullptr};
};

}  // namespace nimbra
