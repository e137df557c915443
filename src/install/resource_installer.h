// Writes a resource of the installer's own module to a file on disk without
// ever losing the file that was there: the bytes go to a temporary file in
// the target's folder, which then replaces the target in one step.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "host/random.h"
#include "install/pack_check.h"
#include "host/settings.h"
#include "platform/platform.h"

namespace nimbra {

enum class InstallResult {
  Installed,  // the target now holds the resource byte for byte
  InUse,      // another process kept the target open; it is unchanged
  // Another process kept the target open; the checked new version waits
  // beside it, and the system replaces the target with it at its next start.
  ReplacedAtRestart,
  Damaged,    // the resource is not what the build recorded; the target is unchanged
  Failed,     // anything else (no such resource, no folder, full disk, ...); the target is unchanged
};

struct InstallOutcome {
  InstallResult result = InstallResult::Failed;
  // The Win32 error of the step that failed (ERROR_DISK_FULL for a short
  // write); 0 on success, or when the platform does not say.
  std::uint32_t error = 0;
  // What the bytes written were, once all were (Installed, Damaged).
  std::optional<PackCheck> written;
  // Installed only: the error of a failed flush after the replace (the
  // target is in place either way); nullopt when it was flushed.
  std::optional<std::uint32_t> flushFailure;
  // ReplacedAtRestart: the name of the waiting version. InUse after a replace
  // at the next restart was asked for: why the system refused it.
  std::string pending;
  std::optional<std::uint32_t> restartRefusal;

  bool operator==(InstallResult other) const { return result == other; }
};

// Where the resource goes: the file `name` of a folder held open, which
// every step goes through; `path` names it in boxes.
struct InstallTarget {
  platform::Folder& folder;
  std::string_view name;
  std::string_view path;
};

// Bytes per write call; large single writes can fail on network shares.
inline constexpr std::size_t kInstallWriteChunk = 1024 * 1024;

// Finds the resource (name and type as strings, case ignored) and installs it
// as target. An existing target that another process has
// open is waited for on the exclusive-open schedule (17 attempts, 256 ms
// apart). Temporary names are drawn from random; those that an earlier run
// left holding part of this resource are removed first. The bytes are checked
// against check.expected as they are written, and replace the target only
// when they match it (and never when check is enabled without a record).
// With atRestartWhenHeld, a target another process keeps open through the
// wait does not end the install: the checked, flushed new version stays
// beside it, registered to replace it at the next start of Windows.
// On any failure one bilingual box is shown: the installer is damaged
// (Damaged), else "Can't install file " + target.path; the target is left as
// it was and no temporary file remains.
// Shows nothing on success. The outcome is for the caller's exit code and log only.
InstallOutcome InstallResourceFile(const platform::Platform& platform, const Settings& settings,
                                   RandomGenerator& random, std::string_view resourceName, std::string_view resourceType,
                                   const InstallTarget& target, const CarriedPackCheck& check,
                                   bool atRestartWhenHeld = false);

}  // namespace nimbra
