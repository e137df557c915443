// The temporary file a new version is written to before it replaces the
// target in one step, and the guard that removes it on every other path.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/files.h"

namespace nimbra {

// Names tried in turn: target + ".new", then target + ".new1" ... ".new99".
inline constexpr int kTemporaryNameCandidates = 100;

// The index-th candidate name beside target.
std::string TemporaryPathFor(std::string_view target, int index);

// The file open for writing, share mode 0, or null with the error.
struct CreatedTemporary : platform::OpenedFile {
  std::string path;  // empty on failure
};

// Creates a new, empty file in target's folder with CREATE_NEW, so that an
// existing file is never opened or truncated; a name that is taken moves on
// to the next candidate. Any other failure ends the search.
CreatedTemporary CreateTemporaryBeside(platform::FileSystem& files, std::string_view target);

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
