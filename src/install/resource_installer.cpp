#include "install/resource_installer.h"

#include <algorithm>
#include <string>

#include "install/exclusive_open.h"
#include "install/stale_temporaries.h"
#include "install/temporary_file.h"
#include "lang/presentation.h"
#include "platform/codes.h"

namespace nimbra {

namespace {

// Every count is checked: on a full disk WriteFile reports success with fewer
// bytes than asked, and only a later call fails. nullopt when all was
// written, else the Win32 error.
std::optional<std::uint32_t> WriteAll(platform::File& file, std::span<const std::byte> bytes) {
  while (!bytes.empty()) {
    std::span<const std::byte> chunk = bytes.first(std::min(bytes.size(), kInstallWriteChunk));
    std::optional<std::size_t> written = file.write(chunk);
    if (!written) return file.error();
    if (*written != chunk.size()) return win::kErrorDiskFull;
    bytes = bytes.subspan(chunk.size());
  }
  return std::nullopt;
}

// Everything after the resource was found, without the box. The folder is
// opened once; every later step goes through its handle or the file's own, so
// that a junction or link re-pointed meanwhile cannot steer a step elsewhere.
// While another process has the target open, the exclusive-open schedule
// waits for it; a missing target (or any failure that is not a sharing
// conflict) needs no wait: the creation and the replace below decide about it.
InstallOutcome InstallBytes(platform::FileSystem& files, platform::Clock& clock, RandomGenerator& random,
                            std::span<const std::byte> bytes, std::string_view targetPath) {
  const std::size_t cut = targetPath.find_last_of('\\') + 1;  // 0 when there is no folder
  const std::string_view targetName = targetPath.substr(cut);
  platform::OpenedFolder opened = files.openFolder(targetPath.substr(0, cut));
  if (!opened.folder) return {InstallResult::Failed, opened.error};
  platform::Folder& folder = *opened.folder;

  platform::OpenedFile probe = OpenExclusiveWithRetry(folder, clock, targetName, RetryWhen::HeldByAnother);
  if (!probe.file && IsHeldByAnother(probe.error)) return {InstallResult::InUse, probe.error};
  probe.file.reset();

  RemoveStaleTemporaries(folder, targetName, bytes);
  CreatedTemporary temporary = CreateTemporaryIn(folder, random, targetName);
  if (!temporary.file) return {InstallResult::Failed, temporary.error};
  TemporaryFileGuard guard(std::move(temporary.file));
  platform::File& file = guard.file();
  // Flushed before the replace, so that a crash cannot leave a target that
  // names data never written.
  if (auto error = WriteAll(file, bytes)) return {InstallResult::Failed, *error};
  if (!file.flush()) return {InstallResult::Failed, file.error()};

  std::uint32_t error = file.rename(targetName);
  if (error != 0) return {IsHeldByAnother(error) ? InstallResult::InUse : InstallResult::Failed, error};
  guard.release();
  return {InstallResult::Installed, 0};
}

}  // namespace

InstallOutcome InstallResourceFile(const platform::Platform& platform, const Settings& settings,
                                   RandomGenerator& random, std::string_view resourceName, std::string_view resourceType,
                                   std::string_view targetPath) {
  InstallOutcome result{InstallResult::Failed, win::kErrorResourceNameNotFound};
  // A missing resource must not turn into an empty target.
  if (std::optional<std::span<const std::byte>> bytes = platform.resources.find(resourceName, resourceType)) {
    result = InstallBytes(platform.files, platform.clock, random, *bytes, targetPath);
  }
  if (result != InstallResult::Installed) {
    ShowBilingualError(platform.boxes, settings, EnglishText("Can't install file ") + SystemText(targetPath),
                       RussianText("Не удается установить файл ") + SystemText(targetPath));
  }
  return result;
}

}  // namespace nimbra
