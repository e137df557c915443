#include "install/exclusive_open.h"

#include "platform/codes.h"

namespace nimbra {

bool IsHeldByAnother(std::uint32_t error) {
  return error == win::kErrorSharingViolation || error == win::kErrorLockViolation;
}

ExclusiveOpen OpenExclusiveWithRetry(platform::FileSystem& files, platform::Clock& clock, std::string_view path,
                                     RetryWhen retryWhen) {
  ExclusiveOpen result;
  for (int attempt = 0; attempt < kExclusiveOpenAttempts; ++attempt) {
    platform::OpenedFile opened =
        files.openFile(path, platform::FileAccess::Read, win::kShareNone, platform::FileCreation::OpenExisting);
    if (opened.file) {
      result.file = std::move(opened.file);
      result.error = 0;
      return result;
    }
    result.error = opened.error;
    if (retryWhen == RetryWhen::HeldByAnother && !IsHeldByAnother(opened.error)) return result;
    // After the last failure too: a file held throughout then costs the full,
    // documented 4,352 ms before anyone gives up on it.
    clock.sleep(kExclusiveOpenRetrySleepMs);
  }
  return result;
}

}  // namespace nimbra
