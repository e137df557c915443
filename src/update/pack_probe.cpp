#include "update/pack_probe.h"

#include <array>
#include <string>

#include "install/exclusive_open.h"
#include "lang/presentation.h"
#include "platform/codes.h"

namespace nimbra {

namespace {

// The header as far as the file has it; a read error ends it like the end of
// the file does, so a broken file reads as the lowest version.
std::size_t ReadHeader(platform::File& file, std::span<std::byte> header) {
  std::size_t filled = 0;
  while (filled < header.size()) {
    std::optional<std::size_t> got = file.read(header.subspan(filled));
    if (!got || *got == 0) break;
    filled += *got;
  }
  return filled;
}

std::int32_t VersionOf(platform::File& file) {
  std::array<std::byte, kPackHeaderSize> header{};
  std::size_t filled = ReadHeader(file, header);
  return PackVersionFromHeader(std::span<const std::byte>(header).first(filled));
}

}  // namespace

std::int32_t PackVersionFromHeader(std::span<const std::byte> firstBytes) {
  if (firstBytes.size() < kPackHeaderSize) return -kPackVersionBias;
  return static_cast<std::int32_t>(std::to_integer<std::uint8_t>(firstBytes[kPackHeaderSize - 1])) -
         kPackVersionBias;
}

PackPeek ProbeInstalledPackVersion(const platform::Platform& platform, const Settings& settings,
                                   MessageCatalogue& catalogue, platform::Folder& folder, std::string_view name,
                                   std::string_view path) {
  // Any failure is retried, not only a sharing conflict: a file that another
  // process is closing or replacing can fail other ways for a moment.
  platform::OpenedFile opened = OpenExclusiveWithRetry(folder, platform.clock, name, RetryWhen::AnyFailure);
  if (!opened.file) {
    ShowCatalogueMessage(platform.boxes, settings, catalogue.formatLines("filecantopen", {SystemText(path)}));
    return {std::nullopt, opened.error};
  }
  return {VersionOf(*opened.file), 0};
}

PackPeek PeekInstalledPackVersion(platform::Folder& folder, std::string_view name) {
  platform::OpenedFile opened = folder.openFile(name, platform::FileAccess::Read,
                                               win::kShareAll,
                                               platform::FileCreation::OpenExisting);
  if (!opened.file) return {std::nullopt, opened.error};
  return {VersionOf(*opened.file), 0};
}

}  // namespace nimbra
