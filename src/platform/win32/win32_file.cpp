#include "platform/win32/win32_file.h"

#include <algorithm>
#include <limits>

#include "platform/win32/final_path.h"
#include "platform/win32/folder_relative.h"
#include "platform/win32/wide_text.h"

namespace nimbra::win32 {
namespace {

// ReadFile and WriteFile take a DWORD count; a larger span is served in part,
// which the callers see as a short count.
DWORD clampedCount(std::size_t size) {
  return static_cast<DWORD>(std::min<std::size_t>(size, std::numeric_limits<DWORD>::max()));
}

}  // namespace

DWORD DesiredAccess(platform::FileAccess access) {
  switch (access) {
    case platform::FileAccess::Read: return GENERIC_READ;
    case platform::FileAccess::Write: return GENERIC_WRITE;
    case platform::FileAccess::ReadWrite: return GENERIC_READ | GENERIC_WRITE;
    case platform::FileAccess::Attributes: break;
  }
  return FILE_READ_ATTRIBUTES;
}

bool IsPlainDiskFile(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info{};
  return ::GetFileType(handle) == FILE_TYPE_DISK && ::GetFileInformationByHandle(handle, &info) &&
         (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

std::optional<std::size_t> Win32File::read(std::span<std::byte> buffer) {
  DWORD got = 0;
  if (!::ReadFile(handle_.get(), buffer.data(), clampedCount(buffer.size()), &got, nullptr)) return failed();
  return got;
}

// One WriteFile per call: on a full disk it succeeds with a short count, and
// only the caller knows whether to go on.
std::optional<std::size_t> Win32File::write(std::span<const std::byte> data) {
  DWORD written = 0;
  if (!::WriteFile(handle_.get(), data.data(), clampedCount(data.size()), &written, nullptr)) return failed();
  return written;
}

bool Win32File::flush() {
  if (::FlushFileBuffers(handle_.get())) return true;
  error_ = ::GetLastError();
  return false;
}

std::uint32_t Win32File::rename(std::string_view name) {
  if (!folder_) return ERROR_NOT_SUPPORTED;
  return RenameInFolder(handle_.get(), folder_, AnsiToWide(name));
}

bool Win32File::discard() { return folder_ && MarkForDeletion(handle_.get()); }

std::uint32_t Win32File::replaceAtRestart(std::string_view name) {
  if (!folder_ || name.empty() || name.find_first_of("\\/:") != std::string_view::npos) return ERROR_NOT_SUPPORTED;
  // Both names come from the handles, never from a path someone could re-point
  // before the restart; the \\?\ form keeps the system from reading them
  // as anything but these names. A share's final path begins "\\": the
  // system performs no replace there at its start.
  const std::optional<std::string> folder = FinalPath(folder_);
  const std::optional<std::string> self = FinalPath(handle_.get());
  if (!folder || !self || folder->size() < 3 || (*folder)[1] != ':') return ERROR_NOT_SUPPORTED;
  std::string folderPath = *folder;
  if (folderPath.back() != '\\') folderPath += '\\';
  // The file must still be one of that folder's, as it was created; the
  // system names both alike.
  if (self->size() <= folderPath.size() || self->compare(0, folderPath.size(), folderPath) != 0 ||
      self->find('\\', folderPath.size()) != std::string::npos)
    return ERROR_CANT_ACCESS_FILE;
  const std::string source = "\\\\?\\" + *self;
  // The same folder, which the source was just checked to begin with.
  const std::string target = source.substr(0, 4 + folderPath.size()).append(name);
  if (::MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING)) return 0;
  return ::GetLastError();
}

std::nullopt_t Win32File::failed() {
  error_ = ::GetLastError();
  return std::nullopt;
}

}  // namespace nimbra::win32
