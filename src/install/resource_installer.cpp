#include "install/resource_installer.h"

#include <algorithm>
#include <string>

#include "install/exclusive_open.h"
#include "install/temporary_file.h"
#include "lang/presentation.h"

namespace nimbra {

namespace {

// Every count is checked: on a full disk WriteFile reports success with fewer
// bytes than asked, and only a later call fails.
bool WriteAll(platform::File& file, std::span<const std::byte> bytes) {
  while (!bytes.empty()) {
    std::span<const std::byte> chunk = bytes.first(std::min(bytes.size(), kInstallWriteChunk));
    std::optional<std::size_t> written = file.write(chunk);
    if (!written || *written != chunk.size()) return false;
    bytes = bytes.subspan(chunk.size());
  }
  return true;
}

// Waits while another process has the target open. A missing target (or any
// failure that is not a sharing conflict) needs no wait: the creation and the
// replace below decide about it.
bool TargetIsFree(platform::FileSystem& files, platform::Clock& clock, std::string_view targetPath) {
  platform::OpenedFile probe = OpenExclusiveWithRetry(files, clock, targetPath, RetryWhen::HeldByAnother);
  return probe.file || !IsHeldByAnother(probe.error);
}

// Everything after the resource was found, without the box.
InstallResult InstallBytes(platform::FileSystem& files, platform::Clock& clock, std::span<const std::byte> bytes,
                           std::string_view targetPath) {
  if (!TargetIsFree(files, clock, targetPath)) return InstallResult::InUse;

  CreatedTemporary temporary = CreateTemporaryBeside(files, targetPath);
  if (!temporary.file) return InstallResult::Failed;
  TemporaryFileGuard guard(files, temporary.path);
  {
    std::unique_ptr<platform::File> file = std::move(temporary.file);
    // Flushed before the replace, so that a crash cannot leave a target that
    // names data never written.
    if (!WriteAll(*file, bytes) || !file->flush()) return InstallResult::Failed;
  }  // closed: a file that is open cannot be moved

  std::uint32_t error = files.replaceFile(temporary.path, targetPath);
  if (error != 0) return IsHeldByAnother(error) ? InstallResult::InUse : InstallResult::Failed;
  guard.release();
  return InstallResult::Installed;
}

}  // namespace

InstallResult InstallResourceFile(const platform::Platform& platform, const Settings& settings,
                                  std::string_view resourceName, std::string_view resourceType,
                                  std::string_view targetPath) {
  InstallResult result = InstallResult::Failed;
  // A missing resource must not turn into an empty target.
  if (std::optional<std::span<const std::byte>> bytes = platform.resources.find(resourceName, resourceType)) {
    result = InstallBytes(platform.files, platform.clock, *bytes, targetPath);
  }
  if (result != InstallResult::Installed) {
    ShowBilingualError(platform.boxes, settings, EnglishText("Can't install file ") + SystemText(targetPath),
                       RussianText("Не удается установить файл ") + SystemText(targetPath));
  }
  return result;
}

}  // namespace nimbra
