#include "install/exclusive_open.h"

#include "platform/codes.h"

namespace nimbra {

bool IsHeldByAnother(std::uint32_t error) {
  return error == win::kErrorSharingViolation || error == win::kErrorLockViolation;
}

namespace {

template <typename Opener>
platform::OpenedFile RetryOpen(Opener& opener, platform::Clock& clock, std::string_view name, RetryWhen retryWhen) {
  platform::OpenedFile opened;
  for (int attempt = 0; attempt < kExclusiveOpenAttempts; ++attempt) {
    opened = opener.openFile(name, platform::FileAccess::Read, win::kShareNone, platform::FileCreation::OpenExisting);
    if (opened.file) return opened;
    if (retryWhen == RetryWhen::HeldByAnother && !IsHeldByAnother(opened.error)) return opened;
    // After the last failure too: a file held throughout then costs the full,
    // documented 4,352 ms before anyone gives up on it.
    clock.sleep(kExclusiveOpenRetrySleepMs);
  }
  return opened;
}

}  // namespace

platform::OpenedFile OpenExclusiveWithRetry(platform::FileSystem& files, platform::Clock& clock,
                                            std::string_view path, RetryWhen retryWhen) {
  return RetryOpen(files, clock, path, retryWhen);
}

platform::OpenedFile OpenExclusiveWithRetry(platform::Folder& folder, platform::Clock& clock, std::string_view name,
                                            RetryWhen retryWhen) {
  return RetryOpen(folder, clock, name, retryWhen);
}

}  // namespace nimbra
