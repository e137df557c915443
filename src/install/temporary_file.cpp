#include "install/temporary_file.h"

#include "platform/codes.h"

namespace nimbra {

namespace {
constexpr std::string_view kTemporarySuffix = ".new";
}  // namespace

std::string TemporaryNameFor(std::string_view targetName, RandomGenerator& random) {
  std::string name(targetName);
  name += '.';
  for (std::size_t i = 0; i < kTemporaryTagLength; ++i) name += static_cast<char>('a' + random.below(26));
  name += kTemporarySuffix;
  return name;
}

bool IsTemporaryNameOf(std::string_view name, std::string_view targetName) {
  if (name.size() != targetName.size() + 1 + kTemporaryTagLength + kTemporarySuffix.size()) return false;
  if (!name.starts_with(targetName) || !name.ends_with(kTemporarySuffix) || name[targetName.size()] != '.')
    return false;
  for (char c : name.substr(targetName.size() + 1, kTemporaryTagLength))
    if (c < 'a' || c > 'z') return false;
  return true;
}

CreatedTemporary CreateTemporaryIn(platform::Folder& folder, RandomGenerator& random, std::string_view targetName) {
  CreatedTemporary created;
  for (int draw = 0; draw < kTemporaryNameDraws; ++draw) {
    std::string name = TemporaryNameFor(targetName, random);
    static_cast<platform::OpenedFile&>(created) =
        folder.openFile(name, platform::FileAccess::Write, win::kShareNone, platform::FileCreation::CreateNew);
    if (created.file) {
      created.name = std::move(name);
      return created;
    }
    // Someone else's file of that name: not ours to touch, so draw another.
    if (created.error != win::kErrorFileExists && created.error != win::kErrorAlreadyExists) return created;
  }
  return created;
}

}  // namespace nimbra
