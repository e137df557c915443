// Files and folders through kernel32's *A functions.
#pragma once

#include "platform/files.h"

namespace nimbra::win32 {

class Win32FileSystem final : public platform::FileSystem {
 public:
  platform::OpenedFile openFile(std::string_view path, platform::FileAccess access,
                                std::uint32_t shareMode, platform::FileCreation creation) override;
  bool fileExists(std::string_view path) override;
  bool folderExists(std::string_view path) override;
  std::vector<platform::DirectoryEntry> listDirectory(std::string_view pattern) override;
  std::uint32_t replaceFile(std::string_view source, std::string_view target) override;
  bool deleteFile(std::string_view path) override;
  std::unique_ptr<platform::File> openForAppend(std::string_view path) override;
  platform::OpenedFolder openFolder(std::string_view path) override;
  std::optional<std::string> fullPath(std::string_view path) override;
};

}  // namespace nimbra::win32
