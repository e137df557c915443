#include "platform/win32/win32_append_file.h"

#include <optional>
#include <string>

#include "platform/win32/c_string.h"
#include "platform/win32/final_path.h"
#include "platform/win32/folder_relative.h"
#include "platform/win32/loaded_function.h"
#include "platform/win32/win32_file.h"

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

bool IsThePlainFileNamed(HANDLE file, const std::string& path) {
  BY_HANDLE_FILE_INFORMATION info{};
  return IsPlainDiskFile(file) && ::GetFileInformationByHandle(file, &info) && info.nNumberOfLinks == 1 &&
         IsAtPath(file, path);
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
