// An in-memory file tree with Windows rules: names compare without regard to
// case, opens honour share modes, other processes can hold a file, the
// read-only attribute and a limited free space are enforced.
#pragma once

#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fake/fake_clock.h"
#include "fake/fault_plan.h"
#include "platform/files.h"

namespace nimbra::fake {

class FakeFileSystem : public platform::FileSystem {
 public:
  static constexpr std::uint64_t kForever = std::numeric_limits<std::uint64_t>::max();

  FakeFileSystem(FaultPlan& faults, FakeClock& clock) : faults_(faults), clock_(clock) {}

  // Relative paths are taken relative to this folder (SetCurrentDirectory changes it).
  std::string currentDirectory = "C:\\";
  // Bytes that writes may still add; unlimited when empty.
  std::optional<std::uint64_t> freeSpace;

  // Test set-up; missing parent folders are created.
  void addFile(std::string_view path, std::string_view content, std::uint32_t attributes = 0x20);
  // A file that reports `size` bytes (read as zeros) without storing them.
  void addSizedFile(std::string_view path, std::uint64_t size);
  void addFolder(std::string_view path, std::uint32_t attributes = 0x10);
  // A folder link (junction) to the target folder: opening a folder through
  // it is refused, as the real platform refuses one whose final path is elsewhere.
  void addFolderLink(std::string_view path, std::string_view target);
  void setAttributes(std::string_view path, std::uint32_t attributes);
  // Listings show the entry at path as `name`, as a listing in the ANSI code
  // page shows a Unicode name by its best fit ("..\\x.lng", say).
  void listAs(std::string_view path, std::string_view name);
  void remove(std::string_view path);
  // Another process holds the file open with no sharing until the clock reaches untilMs.
  void holdOpen(std::string_view path, std::uint64_t untilMs = kForever);
  void releaseHold(std::string_view path);
  // The file becomes a device that is read for ever (zeros): opened by its
  // path it reads without end; a folder refuses to open it as a file of its own.
  void makeEndlessDevice(std::string_view path);
  // Windows starts again: every replace registered for it is performed, in
  // order, where its file is still there; the holds of other programs are gone.
  void restart();
  // (source key, target path) of each replace registered for the next start.
  const std::vector<std::pair<std::string, std::string>>& pendingAtRestart() const { return pendingAtRestart_; }
  // Every open of the file fails with this error (ERROR_ACCESS_DENIED, say), as
  // a file whose rights keep this program out.
  void failOpens(std::string_view path, std::uint32_t error);

  // Inspection.
  std::optional<std::string> contents(std::string_view path) const;
  bool exists(std::string_view path) const;
  // Every file and folder below folder (full paths as created), in creation order.
  std::vector<std::string> listTree(std::string_view folder) const;
  int openFiles() const { return static_cast<int>(open_.size()); }
  // Every openFile call, also through a folder (openForAppend: "<resolved path> append"; openFolder:
  // "<resolved path> folder"): "<resolved path> <access> share=<n> <creation>".
  const std::vector<std::string>& log() const { return log_; }
  // The calls of log() that named a path (FileSystem's own), not a name of a folder held open.
  const std::vector<std::string>& pathCalls() const { return pathCalls_; }

  platform::OpenedFile openFile(std::string_view path, platform::FileAccess access, std::uint32_t shareMode,
                                platform::FileCreation creation) override;
  // Opens or creates the file in a folder that exists; refuses a folder or a held file.
  std::unique_ptr<platform::File> openForAppend(std::string_view path) override;
  // Refuses a folder link, a path that is not a drive or share path, a
  // folder reached through a link (ERROR_CANT_ACCESS_FILE), and a missing
  // folder (ERROR_PATH_NOT_FOUND). Its path() is the path with "." and ".."
  // resolved and the letter case kept.
  platform::OpenedFolder openFolder(std::string_view path) override;

 private:
  friend class FakeFile;
  friend class FakeFolder;
  struct Node {
    std::string path;  // as first created
    bool folder = false;
    std::uint32_t attributes = 0;
    std::string content;
    std::optional<std::uint64_t> sizeOnly;
    bool device = false;  // reads never end (an endless device or a pipe)
    std::string linkTarget;              // key of the linked folder
    std::optional<std::string> listedAs;  // the name listings show, when not the path's own
    std::vector<std::string> children;  // keys, in creation order
    std::uint64_t heldUntil = 0;
    std::uint32_t openError = 0;
  };
  struct OpenRecord {
    std::string key;
    bool reads;
    bool writes;
    std::uint32_t share;
  };

  platform::OpenedFile openAt(std::string_view path, platform::FileAccess access, std::uint32_t shareMode,
                              platform::FileCreation creation);
  platform::OpenedFolder openFolderAt(std::string_view path);
  std::string key(std::string_view path) const;  // normalised, lower-cased absolute path
  std::string fullPath(std::string_view path) const;  // absolute, "." and ".." resolved, case kept
  static std::string parentKey(const std::string& key);
  Node& ensure(std::string_view path, bool folder);
  bool inUse(const std::string& key) const;
  std::uint64_t sizeOf(const Node& node) const;
  static std::string listedName(const Node& node);

  FaultPlan& faults_;
  FakeClock& clock_;
  std::map<std::string, Node> nodes_;
  std::vector<OpenRecord*> open_;
  std::vector<std::pair<std::string, std::string>> pendingAtRestart_;
  std::vector<std::string> log_;
  std::vector<std::string> pathCalls_;
};

}  // namespace nimbra::fake
