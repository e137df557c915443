#include "deployment/run_expiry.h"

#include <string>

namespace nimbra {

static_assert(kRunWorkBudgetMs == 10 * 60 * 1000, "the record below says 10 minutes");

void RunExpiry::expire() noexcept {
  if (RunLog* log = log_.load(std::memory_order_acquire))
    log->record(std::string("run stopped: no end after 10 minutes of work outside any box, while ") + log->step());
}

}  // namespace nimbra
