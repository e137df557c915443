#include "platform/win32/win32_append_file.h"

#include <optional>
#include <string>

#include "platform/win32/c_string.h"
#include "platform/win32/final_path.h"
#include "platform/win32/folder_relative.h"
#include "platform/win32/loaded_function.h"

namespace nimbra::win32 {
namespace {

UniqueFile Open(const std::string& path, DWORD access, DWORD creation) {
  // The reparse flag opens a link itself instead of what it points to; the
  // link is then refused by its attributes. Should the path still reach a
  // named pipe, its server may learn who opened it but never act as the
  // installer (identification, not impersonation); the pipe is then refused
  // by its file type.
  return UniqueFile(::CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, creation,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT | SECURITY_SQOS_PRESENT |
                                      SECURITY_IDENTIFICATION,
                                  nullptr));
}

// The path as Windows resolves it without looking at the disk, then with its
// short (8.3) names made long, so that it compares with a final path.
std::optional<std::string> LongFullPath(const std::string& path) {
  char full[MAX_PATH * 4];
  DWORD length = ::GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  if (length == 0 || length >= sizeof full) return std::nullopt;
  char longPath[MAX_PATH * 4];
  length = ::GetLongPathNameA(full, longPath, sizeof longPath);
  if (length == 0 || length >= sizeof longPath) return std::nullopt;
  return std::string(longPath, length);
}

bool IsThePlainFileNamed(HANDLE file, const std::string& path) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileInformationByHandle(file, &info)) return false;
  if ((info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) return false;
  if (info.nNumberOfLinks != 1) return false;
  std::optional<std::string> final = FinalPath(file);
  if (!final) return true;  // no way to ask: the checks above must do
  std::optional<std::string> asked = LongFullPath(path);
  return asked && ::lstrcmpiA(asked->c_str(), final->c_str()) == 0;
}

// The file just created, open again through its handle (the path is not
// resolved a second time) without the DELETE access it was created with: a
// handle with DELETE keeps out every reader that does not share deletion.
// The new handle shares deletion, as it must beside the old one until that
// closes. Where ReOpenFile is missing (before Vista) the handle stays.
UniqueFile WithoutDeleteAccess(UniqueFile file, DWORD access) {
  using ReOpen = HANDLE WINAPI(HANDLE, DWORD, DWORD, DWORD);
  static auto* const reOpen = LoadedFunction<ReOpen>("kernel32.dll", "ReOpenFile");
  if (!reOpen) return file;
  UniqueFile plain(reOpen(file.get(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          FILE_FLAG_OPEN_REPARSE_POINT));
  return plain ? std::move(plain) : std::move(file);
}

}  // namespace

UniqueFile OpenForAppendSafely(std::string_view pathView) {
  const std::string path = cString(pathView);
  // Reading too, so that the caller can see what the file holds through the
  // handle it writes with; without FILE_WRITE_DATA every write goes to the end.
  constexpr DWORD kAppend = FILE_APPEND_DATA | FILE_READ_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
  UniqueFile file = Open(path, kAppend, OPEN_EXISTING);
  bool created = false;
  if (!file && ::GetLastError() == ERROR_FILE_NOT_FOUND) {
    // Created with the rights the folder passes on, as any file the user
    // makes there; DELETE only to take it back if it is not where it was asked.
    file = Open(path, kAppend | DELETE, CREATE_NEW);
    created = static_cast<bool>(file);
  }
  if (file && !IsThePlainFileNamed(file.get(), path)) {
    if (created) MarkForDeletion(file.get());
    return UniqueFile();
  }
  return created ? WithoutDeleteAccess(std::move(file), kAppend) : std::move(file);
}

}  // namespace nimbra::win32
