// The temporary file a new version is written to before it replaces the
// target in one step, and the guard that removes it on every other path.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "host/random.h"
#include "platform/files.h"

namespace nimbra {

// A temporary name is target + "." + kTemporaryTagLength letters a-z + ".new",
// the letters drawn anew for each try: a name someone else has taken, even
// all names anyone could guess, never stops an update.
inline constexpr std::size_t kTemporaryTagLength = 8;
// 26^8 names make a long run of taken ones a sign of something else (a
// folder that refuses every create); give up rather than loop.
inline constexpr int kTemporaryNameDraws = 64;

// A temporary path beside target, its letters drawn from random.
std::string TemporaryPathFor(std::string_view target, RandomGenerator& random);

// Whether name (without folder) is one of the temporary names of targetName.
bool IsTemporaryNameOf(std::string_view name, std::string_view targetName);

// The file open for writing, share mode 0, or null with the error.
struct CreatedTemporary : platform::OpenedFile {
  std::string path;  // empty on failure
};

// Creates a new, empty file in target's folder with CREATE_NEW, so that an
// existing file is never opened or truncated; a name that is taken is drawn
// again. Any other failure ends the search.
CreatedTemporary CreateTemporaryBeside(platform::FileSystem& files, RandomGenerator& random, std::string_view target);

// Deletes the file at path when the scope ends, unless release() was called.
// Declare it before the file's handle so that the handle is closed first.
class TemporaryFileGuard {
 public:
  TemporaryFileGuard(platform::FileSystem& files, std::string path) : files_(files), path_(std::move(path)) {}
  ~TemporaryFileGuard() {
    if (!path_.empty()) files_.deleteFile(path_);
  }
  TemporaryFileGuard(const TemporaryFileGuard&) = delete;
  TemporaryFileGuard& operator=(const TemporaryFileGuard&) = delete;

  // The file has become the target; nothing is left to remove.
  void release() { path_.clear(); }

 private:
  platform::FileSystem& files_;
  std::string path_;
};

}  // namespace nimbra
