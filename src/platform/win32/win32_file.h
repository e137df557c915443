// An open file of the real platform, read and written through kernel32.
#pragma once

#include <windows.h>

#include "platform/files.h"
#include "platform/win32/handles.h"

namespace nimbra::win32 {

// GENERIC_READ, GENERIC_WRITE, both, or FILE_READ_ATTRIBUTES alone.
DWORD DesiredAccess(platform::FileAccess access);

// A plain file of a disk (FILE_TYPE_DISK, neither a folder nor a reparse
// point): not a device, a pipe or a console, whose reads may never end.
bool IsPlainDiskFile(HANDLE handle);

class Win32File final : public platform::File {
 public:
  // folder: the handle of the folder the file was opened through, which
  // outlives this file; null for a file opened by its path.
  explicit Win32File(UniqueFile handle, HANDLE folder = nullptr) : handle_(std::move(handle)), folder_(folder) {}

  std::optional<std::size_t> read(std::span<std::byte> buffer) override;
  std::optional<std::size_t> write(std::span<const std::byte> data) override;
  bool flush() override;
  std::uint32_t error() const override { return error_; }
  std::uint32_t rename(std::string_view name) override;
  bool discard() override;
  std::uint32_t replaceAtRestart(std::string_view name) override;

 private:
  std::nullopt_t failed();

  UniqueFile handle_;
  HANDLE folder_;
  DWORD error_ = 0;
};

}  // namespace nimbra::win32
