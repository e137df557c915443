#include "install/temporary_file.h"

#include "platform/codes.h"

namespace nimbra {

std::string TemporaryPathFor(std::string_view target, int index) {
  std::string path(target);
  path += ".new";
  if (index > 0) path += std::to_string(index);
  return path;
}

CreatedTemporary CreateTemporaryBeside(platform::FileSystem& files, std::string_view target) {
  CreatedTemporary created;
  for (int index = 0; index < kTemporaryNameCandidates; ++index) {
    std::string path = TemporaryPathFor(target, index);
    static_cast<platform::OpenedFile&>(created) =
        files.openFile(path, platform::FileAccess::Write, win::kShareNone, platform::FileCreation::CreateNew);
    if (created.file) {
      created.path = std::move(path);
      return created;
    }
    // A name left behind by a run that was cut off (a power failure, say):
    // not ours to remove, so use another one.
    if (created.error != win::kErrorFileExists && created.error != win::kErrorAlreadyExists) return created;
  }
  return created;
}

}  // namespace nimbra
