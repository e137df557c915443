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

// A temporary name for targetName (both without folder), its letters drawn from random.
std::string TemporaryNameFor(std::string_view targetName, RandomGenerator& random);

// Whether name (without folder) is one of the temporary names of targetName.
bool IsTemporaryNameOf(std::string_view name, std::string_view targetName);

// The file open for writing, share mode 0, or null with the error.
struct CreatedTemporary : platform::OpenedFile {
  std::string name;  // empty on failure
};

// Creates a new, empty temporary of targetName in folder with CREATE_NEW, so
// that an existing file (or a link) is never opened or truncated; a name
// that is taken is drawn again. Any other failure ends the search.
CreatedTemporary CreateTemporaryIn(platform::Folder& folder, RandomGenerator& random, std::string_view targetName);

// Owns the temporary file and discards it, through its handle, when the
// scope ends, unless release() was called.
class TemporaryFileGuard {
 public:
  explicit TemporaryFileGuard(std::unique_ptr<platform::File> file) : file_(std::move(file)) {}
  ~TemporaryFileGuard() {
    if (file_) file_->discard();
  }
  TemporaryFileGuard(const TemporaryFileGuard&) = delete;
  TemporaryFileGuard& operator=(const TemporaryFileGuard&) = delete;

  platform::File& file() { return *file_; }
  // The file has become the target: it is closed and nothing is removed.
  void release() { file_.reset(); }

 private:
  std::unique_ptr<platform::File> file_;
};

}  // namespace nimbra
