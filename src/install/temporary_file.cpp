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
    platform::OpenedFile opened =
        files.openFile(path, platform::FileAccess::Write, win::kShareNone, platform::FileCreation::CreateNew);
    if (opened.file) {
      created.file = std::move(opened.file);
      created.path = std::move(path);
      created.error = 0;
      return created;
    }
    created.error = opened.error;
    // A name left behind by a run that was cut off (a power failure, say):
    // not ours to remove, so use another one.
    if (opened.error != win::kErrorFileExists && opened.error != win::kErrorAlreadyExists) return created;
  }
  return created;
}

}  // namespace nimbra
