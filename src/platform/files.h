// Files and folders. Paths are ANSI byte strings, passed to the *A functions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/codes.h"

namespace nimbra::platform {

enum class FileAccess {
  Read,
  Write,
  ReadWrite,
  // Its attributes only: whether a plain file of that name is there. Such an
  // open keeps no one out and waits for no one.
  Attributes,
};

enum class FileCreation {
  OpenExisting,  // OPEN_EXISTING
  CreateNew,     // CREATE_NEW: fails with ERROR_FILE_EXISTS when the file is there
  CreateAlways,  // CREATE_ALWAYS
};

// An open file. Destroying it closes the handle, exactly once.
class File {
 public:
  virtual ~File() = default;
  File() = default;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // ReadFile: the number of bytes read (0 at the end of the file), nullopt on error.
  virtual std::optional<std::size_t> read(std::span<std::byte> buffer) = 0;
  // WriteFile: the number of bytes written, which may be short of data.size()
  // (a full disk does that without an error); nullopt on error.
  virtual std::optional<std::size_t> write(std::span<const std::byte> data) = 0;
  // FlushFileBuffers: true once what was written is on the disk.
  virtual bool flush() = 0;
  // The Win32 error of the last read, write or flush that failed (0 while
  // none has), e.g. ERROR_DISK_FULL when a write found no room at all.
  virtual std::uint32_t error() const = 0;

  // Only for a file opened through a Folder, and done through this handle, so
  // that no name is looked up again (elsewhere they fail: ERROR_NOT_SUPPORTED,
  // false):
  // gives the file the name `name` in that folder, replacing a plain file of
  // that name in one step (a flush() afterwards puts the new name on the
  // disk); a Win32 error code, 0 on success.
  virtual std::uint32_t rename(std::string_view /*name*/) { return win::kErrorNotSupported; }
  // deletes the file; its name goes once it is closed. False when refused.
  virtual bool discard() { return false; }
  // registers, for the next start of Windows, the replace of the plain file
  // `name` of that folder by this file (MoveFileEx with
  // MOVEFILE_DELAY_UNTIL_REBOOT), both named by the final paths of this very
  // file and folder in the \\?\ form, so that no link can turn them
  // elsewhere; this file stays as it is until then. Refused on a share
  // (ERROR_NOT_SUPPORTED), where the system cannot do it. A Win32 error code,
  // 0 once registered.
  virtual std::uint32_t replaceAtRestart(std::string_view /*name*/) { return win::kErrorNotSupported; }
};

// The most entries any one listing of a folder reads: far beyond any folder
// of Nimbra's, and a bound on what a folder of millions costs.
inline constexpr std::size_t kListedEntryLimit = 100000;

struct OpenedFile {
  std::unique_ptr<File> file;  // null on failure
  std::uint32_t error = 0;     // Win32 error code when file is null
};

// One entry of a folder's listing.
struct DirectoryEntry {
  std::string name;             // without folder, as listed, in the ANSI code page
  std::uint32_t attributes = 0;  // FILE_ATTRIBUTE_* bits
  std::uint64_t size = 0;        // the full 64-bit size
};

// A folder opened once and held open: the names below are looked up in it,
// never through its path again, so that re-pointing a link or a junction on
// the way to it changes nothing. Others cannot rename or delete it meanwhile.
class Folder {
 public:
  virtual ~Folder() = default;
  Folder() = default;
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;

  // Opens or creates the plain file `name` (no folder part) of this folder.
  // An open that writes or shares nothing may also rename or discard the file
  // (it keeps others out anyway); one that shares keeps out no one who shares
  // as much. A name that is a link or a junction is never followed: it is
  // refused with ERROR_CANT_ACCESS_FILE, and so is a folder, a device or a
  // pipe; a name with a folder part is refused with ERROR_INVALID_NAME. An
  // open that another program's opportunistic lock would hold up does not
  // wait for it: the file counts as in use (ERROR_SHARING_VIOLATION).
  virtual OpenedFile openFile(std::string_view name, FileAccess access, std::uint32_t shareMode,
                              FileCreation creation) = 0;
  // The entries of this folder, "." and ".." left out, in the system's order,
  // the listing stopped after `most` of them (see kListedEntryLimit); empty
  // when it cannot be listed.
  virtual std::vector<DirectoryEntry> list(std::size_t most) = 0;
  // The folder `name` of this folder, opened and held like this one; refused
  // when it is a link or a junction.
  virtual std::unique_ptr<Folder> openFolder(std::string_view name) = 0;
  // Where this folder is, as the system names it on its handle (its final
  // path: "C:\..." or "\\server\share\..."), without a trailing separator
  // but a drive root's; where the system cannot say, the full path it was
  // opened by. What is named by this path is what the handle holds.
  virtual const std::string& path() const = 0;
};

struct OpenedFolder {
  std::unique_ptr<Folder> folder;  // null on failure
  std::uint32_t error = 0;         // Win32 error code when folder is null
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // CreateFileA with FILE_ATTRIBUTE_NORMAL; shareMode is a FILE_SHARE_* mask.
  virtual OpenedFile openFile(std::string_view path, FileAccess access, std::uint32_t shareMode,
                              FileCreation creation) = 0;
  // A file that the user named for appending text (a log), opened so that an
  // elevated program writes nowhere else: created when absent (with the
  // rights its folder passes on), else opened for reading and appending only;
  // refused (null) when the path reaches another place through a link or a
  // junction, when the file has other hard links, or when it is not a plain
  // disk file. Reads start at the beginning; every write goes to the end.
  virtual std::unique_ptr<File> openForAppend(std::string_view path) = 0;
  // The folder at path (a drive or share path), opened and held. Refused
  // (ERROR_CANT_ACCESS_FILE) when path itself is a link or a junction, when
  // it does not end at a folder on a drive or share (an object-manager name,
  // say), and when the folder opened is not at path itself, its full path
  // with "." and ".." resolved: a link or junction on the way, or a drive
  // mapped to another place, leads elsewhere.
  virtual OpenedFolder openFolder(std::string_view path) = 0;
};

}  // namespace nimbra::platform
