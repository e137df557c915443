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

// INVALID_FILE_ATTRIBUTES when nothing is there.
DWORD attributesOf(std::string_view path) { return ::GetFileAttributesA(cString(path).c_str()); }

platform::DirectoryEntry entryOf(const WIN32_FIND_DATAA& found) {
  return {found.cFileName, found.dwFileAttributes,
          (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow};
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

bool Win32FileSystem::fileExists(std::string_view path) {
  const DWORD attributes = attributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32FileSystem::folderExists(std::string_view path) {
  const DWORD attributes = attributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::vector<platform::DirectoryEntry> Win32FileSystem::listDirectory(std::string_view pattern) {
  std::vector<platform::DirectoryEntry> entries;
  WIN32_FIND_DATAA found{};
  const UniqueFind find(::FindFirstFileA(cString(pattern).c_str(), &found));
  if (!find) return entries;
  do {
    entries.push_back(entryOf(found));
  } while (::FindNextFileA(find.get(), &found));
  return entries;
}

std::uint32_t Win32FileSystem::replaceFile(std::string_view source, std::string_view target) {
  if (::MoveFileExA(cString(source).c_str(), cString(target).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return 0;
  return ::GetLastError();
}

bool Win32FileSystem::deleteFile(std::string_view path) {
  return ::DeleteFileA(cString(path).c_str()) != FALSE;
}

std::unique_ptr<platform::File> Win32FileSystem::openForAppend(std::string_view path) {
  UniqueFile handle = OpenForAppendSafely(path);
  if (!handle) return nullptr;
  return std::make_unique<Win32File>(std::move(handle));
}

platform::OpenedFolder Win32FileSystem::openFolder(std::string_view path) { return OpenFolderAt(path); }

std::optional<std::string> Win32FileSystem::fullPath(std::string_view path) {
  const std::string relative = cString(path);
  std::string full(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = ::GetFullPathNameA(relative.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) return std::nullopt;
    if (length < full.size()) {  // fitted: length excludes the NUL
      full.resize(length);
      return full;
    }
    full.resize(length);  // too small: length is the size needed, NUL included
  }
}

}  // namespace nimbra::win32
