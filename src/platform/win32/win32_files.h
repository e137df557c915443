// Files and folders through kernel32's *A functions.
#pragma once

#include "platform/files.h"

namespace nimbra::win32 {

class Win32FileSystem final : public platform::FileSystem {
 public:
  platform::OpenedFile openFile(std::string_view path, platform::FileAccess access,
                                std::uint32_t shareMode, platform::FileCreation creation) override;
  std::unique_ptr<platform::File> openForAppend(std::string_view path) override;
  platform::OpenedFolder openFolder(std::string_view path) override;
};

}  // namespace nimbra::win32
