#include "install/resource_installer.h"

#include <algorithm>
#include <string>

#include "install/crc32c.h"
#include "install/exclusive_open.h"
#include "install/stale_temporaries.h"
#include "install/temporary_file.h"
#include "lang/presentation.h"
#include "platform/codes.h"

namespace nimbra {

namespace {

// Said when the carried pack is not what the build recorded: only a new copy
// of the installer can mend that, so the box says so.
constexpr std::string_view kDamagedInstallerEnglish =
    "The installer is damaged: the sound pack it carries failed its check.\r\n"
    "Please download the installer again.";
constexpr std::string_view kDamagedInstallerRussian =
    "Программа установки повреждена: звуковой пакет в ней не прошёл проверку.\r\n"
    "Пожалуйста, загрузите программу установки заново.";

// Every count is checked: on a full disk WriteFile reports success with fewer
// bytes than asked, and only a later call fails. Each chunk goes through crc
// (when given) just before it is written, while it is in the cache: the check
// costs no second read. nullopt when all was written, else the Win32 error.
std::optional<std::uint32_t> WriteAll(platform::File& file, std::span<const std::byte> bytes, Crc32c* crc) {
  while (!bytes.empty()) {
    std::span<const std::byte> chunk = bytes.first(std::min(bytes.size(), kInstallWriteChunk));
    if (crc) crc->update(chunk);
    std::optional<std::size_t> written = file.write(chunk);
    if (!written) return file.error();
    if (*written != chunk.size()) return win::kErrorDiskFull;
    bytes = bytes.subspan(chunk.size());
  }
  return std::nullopt;
}

InstallOutcome Outcome(InstallResult result, std::uint32_t error = 0) {
  InstallOutcome outcome;
  outcome.result = result;
  outcome.error = error;
  return outcome;
}

// Whether a replace refused with `error` was refused because another program
// has the target open: a sharing violation says so; access denied, which is
// what Windows says of an open target and of a read-only one alike, only when
// the target cannot be opened exclusively now. Held is "retry later".
bool TargetHeldAtTheReplace(platform::Folder& folder, std::string_view targetName, std::uint32_t error) {
  if (IsHeldByAnother(error)) return true;
  if (error != win::kErrorAccessDenied) return false;
  platform::OpenedFile probe =
      folder.openFile(targetName, platform::FileAccess::Read, win::kShareNone, platform::FileCreation::OpenExisting);
  return !probe.file && IsHeldByAnother(probe.error);
}

// Everything after the resource was found, without the box. Every step goes
// through the folder's handle or the file's own, so that a junction or link
// re-pointed meanwhile cannot steer a step elsewhere.
// While another process has the target open, the exclusive-open schedule
// waits for it; a missing target (or any failure that is not a sharing
// conflict) needs no wait: the creation and the replace below decide about it.
InstallOutcome InstallBytes(platform::Clock& clock, RandomGenerator& random, std::span<const std::byte> bytes,
                            const InstallTarget& target, const CarriedPackCheck& check, bool atRestartWhenHeld) {
  platform::Folder& folder = target.folder;
  const std::string_view targetName = target.name;

  platform::OpenedFile probe = OpenExclusiveWithRetry(folder, clock, targetName, RetryWhen::HeldByAnother);
  if (!probe.file && IsHeldByAnother(probe.error) && !atRestartWhenHeld)
    return Outcome(InstallResult::InUse, probe.error);
  probe.file.reset();

  RemoveStaleTemporaries(folder, targetName, bytes);
  CreatedTemporary temporary = CreateTemporaryIn(folder, random, targetName);
  if (!temporary.file) return Outcome(InstallResult::Failed, temporary.error);
  TemporaryFileGuard guard(std::move(temporary.file));
  platform::File& file = guard.file();
  Crc32c crc;
  if (auto error = WriteAll(file, bytes, check.enabled ? &crc : nullptr)) return Outcome(InstallResult::Failed, *error);
  InstallOutcome outcome = Outcome(InstallResult::Installed);
  if (check.enabled) {
    outcome.written = PackCheck{bytes.size(), crc.value()};
    if (outcome.written != check.expected) {
      outcome.result = InstallResult::Damaged;
      return outcome;
    }
  }
  // Flushed before the replace, so that a crash cannot leave a target that
  // names data never written.
  if (!file.flush()) return Outcome(InstallResult::Failed, file.error());

  // Tried even after a wait that found the target held: the other program
  // may have let go since.
  std::uint32_t error = file.rename(targetName);
  if (error != 0) {
    const bool held = TargetHeldAtTheReplace(folder, targetName, error);
    if (!held) return Outcome(InstallResult::Failed, error);
    outcome.result = InstallResult::InUse;
    outcome.error = error;
    if (!atRestartWhenHeld) return outcome;
    if (std::uint32_t refusal = file.replaceAtRestart(targetName)) {
      outcome.restartRefusal = refusal;
      return outcome;
    }
    outcome.result = InstallResult::ReplacedAtRestart;
    outcome.pending = temporary.name;
    guard.release();  // it is the new version now, until the restart
    return outcome;
  }
  // As MOVEFILE_WRITE_THROUGH did: the new name on the disk before the run
  // goes on. The pack is in place whatever the flush says; the log tells.
  if (!file.flush()) outcome.flushFailure = file.error();
  guard.release();
  return outcome;
}

}  // namespace

InstallOutcome InstallResourceFile(const platform::Platform& platform, const Settings& settings,
                                   RandomGenerator& random, std::string_view resourceName, std::string_view resourceType,
                                   const InstallTarget& target, const CarriedPackCheck& check,
                                   bool atRestartWhenHeld) {
  InstallOutcome result = Outcome(InstallResult::Failed, win::kErrorResourceNameNotFound);
  // A missing resource must not turn into an empty target.
  if (std::optional<std::span<const std::byte>> bytes = platform.resources.find(resourceName, resourceType)) {
    // Without the build's record nothing tells a good pack from a damaged one.
    result = check.enabled && !check.expected
                 ? Outcome(InstallResult::Damaged)
                 : InstallBytes(platform.clock, random, *bytes, target, check, atRestartWhenHeld);
  }
  if (result == InstallResult::Damaged) {
    ShowBilingualError(platform.boxes, settings, EnglishText(kDamagedInstallerEnglish),
                       RussianText(kDamagedInstallerRussian));
  } else if (result != InstallResult::Installed && result != InstallResult::ReplacedAtRestart) {
    ShowBilingualError(platform.boxes, settings, EnglishText("Can't install file ") + SystemText(target.path),
                       RussianText("Не удается установить файл ") + SystemText(target.path));
  }
  return result;
}

}  // namespace nimbra
