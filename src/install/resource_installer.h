// Writes a resource of the installer's own module to a file on disk without
// ever losing the file that was there: the bytes go to a temporary file in
// the target's folder, which then replaces the target in one step.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "host/random.h"
#include "host/settings.h"
#include "platform/platform.h"

namespace nimbra {

enum class InstallResult {
  Installed,  // the target now holds the resource byte for byte
  InUse,      // another process kept the target open; it is unchanged
  Failed,     // anything else (no such resource, no folder, full disk, ...); the target is unchanged
};

struct InstallOutcome {
  InstallResult result = InstallResult::Failed;
  // The Win32 error of the step that failed (ERROR_DISK_FULL for a short
  // write); 0 on success, or when the platform does not say.
  std::uint32_t error = 0;

  bool operator==(InstallResult other) const { return result == other; }
};

// Bytes per write call; large single writes can fail on network shares.
inline constexpr std::size_t kInstallWriteChunk = 1024 * 1024;

// Finds the resource (name and type as strings, case ignored) and installs it
// at targetPath, a full file path. An existing target that another process has
// open is waited for on the exclusive-open schedule (17 attempts, 256 ms
// apart). Temporary names are drawn from random; those that an earlier run
// left holding part of this resource are removed first. On any failure the
// bilingual "Can't install file " + targetPath box is shown once, the target
// is left as it was and no temporary file remains.
// Shows nothing on success. The outcome is for the caller's exit code and log only.
InstallOutcome InstallResourceFile(const platform::Platform& platform, const Settings& settings,
                                   RandomGenerator& random, std::string_view resourceName, std::string_view resourceType,
                                   std::string_view targetPath);

}  // namespace nimbra
