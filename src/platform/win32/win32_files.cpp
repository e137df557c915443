#include "platform/win32/win32_files.h"

#include <windows.h>

#include <utility>

#include "platform/win32/c_string.h"
#include "platform/win32/win32_append_file.h"
#include "platform/win32/win32_file.h"
#include "platform/win32/win32_folder.h"
#include "platform/win32/handles.h"

namespace nimbra::win32 {
namespace {

DWORD creationDisposition(platform::FileCreation creation) {
  switch (creation) {
    case platform::FileCreation::OpenExisting: return OPEN_EXISTING;
    case platform::FileCreation::CreateNew: return CREATE_NEW;
    case platform::FileCreation::CreateAlways: return CREATE_ALWAYS;
  }
  return OPEN_EXISTING;
}

}  // namespace

platform::OpenedFile Win32FileSystem::openFile(std::string_view path, platform::FileAccess access,
                                               std::uint32_t shareMode,
                                               platform::FileCreation creation) {
  UniqueFile handle(::CreateFileA(cString(path).c_str(), DesiredAccess(access), shareMode, nullptr,
                                  creationDisposition(creation), FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle) return {nullptr, ::GetLastError()};
  return {std::make_unique<Win32File>(std::move(handle)), 0};
}

std::unique_ptr<platform::File> Win32FileSystem::openForAppend(std::string_view path) {
  UniqueFile handle = OpenForAppendSafely(path);
  if (!handle) return nullptr;
  return std::make_unique<Win32File>(std::move(handle));
}

platform::OpenedFolder Win32FileSystem::openFolder(std::string_view path) { return OpenFolderAt(path); }

}  // namespace nimbra::win32
