// Opening a file that no other process may have open, retried on a fixed
// schedule. This is how the installer waits for a Nimbra that was just asked
// to quit to let go of its pack file.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/clock.h"
#include "platform/files.h"

namespace nimbra {

// Up to 17 attempts with a 256 ms sleep after every failed one, the last one
// included: a file held throughout costs 17 sleeps, 4,352 ms.
inline constexpr int kExclusiveOpenAttempts = 17;
inline constexpr std::uint32_t kExclusiveOpenRetrySleepMs = 256;

enum class RetryWhen {
  AnyFailure,       // every failed open is retried
  HeldByAnother,    // only a sharing or lock violation is retried; any other
                    // failure ends the attempts at once, without a sleep
};

// True for the errors an open gets while another process holds the file.
bool IsHeldByAnother(std::uint32_t error);

// Opens path with GENERIC_READ, share mode 0, OPEN_EXISTING on the schedule
// above, sleeping through clock. On failure the error is the last attempt's.
platform::OpenedFile OpenExclusiveWithRetry(platform::FileSystem& files, platform::Clock& clock,
                                            std::string_view path, RetryWhen retryWhen);
// The same for the file `name` of a folder held open.
platform::OpenedFile OpenExclusiveWithRetry(platform::Folder& folder, platform::Clock& clock, std::string_view name,
                                            RetryWhen retryWhen);

}  // namespace nimbra
