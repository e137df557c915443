#include "platform/win32/win32_folder.h"

#include <windows.h>
#include <winternl.h>

#include <string>

#include "platform/path_form.h"
#include "platform/win32/c_string.h"
#include "platform/win32/final_path.h"
#include "platform/win32/folder_relative.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_file.h"

namespace nimbra::win32 {
namespace {

constexpr DWORD kFolderAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
// Others may still read and write in the folder; renaming or deleting it
// needs an open with DELETE, which this sharing keeps out.
constexpr DWORD kFolderShare = FILE_SHARE_READ | FILE_SHARE_WRITE;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// A folder of a disk, itself and not a link or a junction to one.
bool IsPlainFolder(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileType(handle) != FILE_TYPE_DISK || !::GetFileInformationByHandle(handle, &info)) return false;
  return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

// A single name of this folder, in UTF-16; empty when it is none.
std::wstring NameInFolder(std::string_view name) {
  if (!platform::IsSingleName(name)) return {};
  return AnsiToWide(name);
}

DWORD Disposition(platform::FileCreation creation) {
  switch (creation) {
    case platform::FileCreation::OpenExisting: return FILE_OPEN;
    case platform::FileCreation::CreateNew: return FILE_CREATE;
    case platform::FileCreation::CreateAlways: return FILE_OVERWRITE_IF;
  }
  return FILE_OPEN;
}

// DELETE, so that the file can be renamed or discarded through this very
// handle, where it costs no one anything: an open that writes, or one that
// shares nothing and keeps everyone out anyway. A reader that shares keeps
// out no one who shares as much.
DWORD AccessInFolder(platform::FileAccess access, std::uint32_t shareMode) {
  const bool mayDelete = access == platform::FileAccess::Write || access == platform::FileAccess::ReadWrite ||
                         (shareMode == 0 && access != platform::FileAccess::Attributes);
  return DesiredAccess(access) | FILE_READ_ATTRIBUTES | (mayDelete ? DELETE : 0);
}

class Win32Folder final : public platform::Folder {
 public:
  // path: where the folder is (see Folder::path); finalKnown: whether the
  // system named it, so that what is opened in it can be checked against it.
  Win32Folder(UniqueFile handle, std::string path, bool finalKnown)
      : handle_(std::move(handle)), path_(std::move(path)), finalKnown_(finalKnown) {}

  platform::OpenedFile openFile(std::string_view name, platform::FileAccess access, std::uint32_t shareMode,
                                platform::FileCreation creation) override {
    const std::wstring wide = NameInFolder(name);
    if (wide.empty()) return {nullptr, ERROR_INVALID_NAME};
    RelativeOpen opened = OpenInFolder(handle_.get(), wide, AccessInFolder(access, shareMode), shareMode,
                                       Disposition(creation), FILE_NON_DIRECTORY_FILE);
    if (!opened.handle) return {nullptr, opened.error};
    if (!IsPlainDiskFile(opened.handle.get()) || !isHere(opened.handle.get(), name)) {
      // One this open created goes again; a name that was there stays.
      if (creation == platform::FileCreation::CreateNew) MarkForDeletion(opened.handle.get());
      return {nullptr, ERROR_CANT_ACCESS_FILE};
    }
    return {std::make_unique<Win32File>(std::move(opened.handle), handle_.get()), 0};
  }

  std::vector<platform::DirectoryEntry> list(std::size_t most) override {
    std::vector<platform::DirectoryEntry> entries;
    if (most == 0) return entries;
    // A handle of its own for each listing, opened through this one with no
    // name (no path is looked up): Wine keeps a handle's first listing and
    // shows it again, without what was created in the folder since.
    const RelativeOpen listing =
        OpenInFolder(handle_.get(), L"", kFolderAccess, kFolderShare, FILE_OPEN, FILE_DIRECTORY_FILE);
    ListFolder(listing.handle ? listing.handle.get() : handle_.get(), most, entries);
    return entries;
  }

  std::unique_ptr<platform::Folder> openFolder(std::string_view name) override {
    const std::wstring wide = NameInFolder(name);
    if (wide.empty()) return nullptr;
    RelativeOpen opened = OpenInFolder(handle_.get(), wide, kFolderAccess, kFolderShare, FILE_OPEN, FILE_DIRECTORY_FILE);
    if (!opened.handle || !IsPlainFolder(opened.handle.get()) || !isHere(opened.handle.get(), name)) return nullptr;
    return std::make_unique<Win32Folder>(std::move(opened.handle), inHere(name), finalKnown_);
  }

  const std::string& path() const override { return path_; }

 private:
  std::string inHere(std::string_view name) const {
    std::string path = path_;
    if (!IsSeparator(path.back())) path += '\\';
    return path.append(name);
  }

  // Whether what was opened as `name` is that name of this folder. Windows
  // opens a link itself (FILE_OPEN_REPARSE_POINT), and then its attributes
  // refuse it; Wine follows a link and shows no such attribute, but its final
  // path is elsewhere.
  bool isHere(HANDLE opened, std::string_view name) const {
    if (!finalKnown_) return true;  // no way to ask: the attributes must do
    const std::optional<std::string> actual = FinalPath(opened);
    return actual && ::lstrcmpiA(actual->c_str(), inHere(name).c_str()) == 0;
  }

  UniqueFile handle_;
  std::string path_;
  bool finalKnown_;
};

}  // namespace

platform::OpenedFolder OpenFolderAt(std::string_view pathView) {
  if (!platform::IsDriveOrSharePath(pathView)) return {nullptr, ERROR_CANT_ACCESS_FILE};
  std::string path = cString(pathView);
  // Without its trailing separator, so that the last name is opened itself
  // even where it is a link; a drive's root keeps its own.
  while (path.size() > 3 && IsSeparator(path.back())) path.pop_back();
  UniqueFile handle(::CreateFileA(path.c_str(), kFolderAccess, kFolderShare, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!handle) {
    const DWORD error = ::GetLastError();
    return {nullptr, error == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : error};
  }
  if (!IsPlainFolder(handle.get())) return {nullptr, ERROR_CANT_ACCESS_FILE};
  // Where the system can say, the folder must be at path itself: a link or a
  // junction on the way, or at its end where its attributes do not show it
  // (Wine shows none for a folder link), ends at a folder elsewhere.
  const std::optional<std::string> full = LongFullPath(path);
  const std::optional<std::string> final = FinalPath(handle.get());
  if (!full || (final && (final->empty() || ::lstrcmpiA(final->c_str(), full->c_str()) != 0)))
    return {nullptr, ERROR_CANT_ACCESS_FILE};
  return {std::make_unique<Win32Folder>(std::move(handle), final ? *final : *full, final.has_value()), 0};
}

}  // namespace nimbra::win32
