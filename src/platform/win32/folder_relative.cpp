#include "platform/win32/folder_relative.h"

#include <winternl.h>

#include <vector>

#include "platform/win32/loaded_function.h"
#include "platform/win32/wide_text.h"

namespace nimbra::win32 {
namespace {

// Not in mingw's winternl.h.
using NtQueryDirectoryFileFunction = NTSTATUS NTAPI(HANDLE, HANDLE, PVOID, PVOID, PIO_STATUS_BLOCK, PVOID, ULONG,
                                                    FILE_INFORMATION_CLASS, BOOLEAN, PUNICODE_STRING, BOOLEAN);
struct DispositionInformation {
  BOOLEAN deleteFile;
};
constexpr NTSTATUS kStatusNoMoreFiles = static_cast<NTSTATUS>(0x80000006);
constexpr NTSTATUS kStatusInvalidParameter = static_cast<NTSTATUS>(0xC000000D);
constexpr NTSTATUS kStatusNotSupported = static_cast<NTSTATUS>(0xC00000BB);
constexpr NTSTATUS kStatusOplockBreakInProgress = static_cast<NTSTATUS>(0x00000108);
constexpr DWORD kObjCaseInsensitive = 0x40;
constexpr DWORD kFileCompleteIfOplocked = 0x00000100;

template <typename Function>
Function* Ntdll(const char* name) {
  return LoadedFunction<Function>("ntdll.dll", name);
}

DWORD ErrorOf(NTSTATUS status) {
  static auto* const toDosError = Ntdll<decltype(::RtlNtStatusToDosError)>("RtlNtStatusToDosError");
  return toDosError ? toDosError(status) : ERROR_GEN_FAILURE;
}

// A UNICODE_STRING over name, which must outlive it; nullopt when too long.
bool Counted(std::wstring_view name, UNICODE_STRING& counted) {
  if (name.size() > 32767) return false;
  counted.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
  counted.MaximumLength = counted.Length;
  counted.Buffer = const_cast<wchar_t*>(name.data());
  return true;
}

}  // namespace

RelativeOpen OpenInFolder(HANDLE folder, std::wstring_view name, DWORD access, DWORD share, DWORD disposition,
                          DWORD options) {
  static auto* const createFile = Ntdll<decltype(::NtCreateFile)>("NtCreateFile");
  RelativeOpen opened;
  UNICODE_STRING counted{};
  if (!createFile || !Counted(name, counted)) {
    opened.error = createFile ? ERROR_FILENAME_EXCED_RANGE : ERROR_CALL_NOT_IMPLEMENTED;
    return opened;
  }
  OBJECT_ATTRIBUTES attributes{};
  InitializeObjectAttributes(&attributes, &counted, kObjCaseInsensitive, folder, nullptr);
  IO_STATUS_BLOCK status{};
  HANDLE handle = INVALID_HANDLE_VALUE;
  // An opportunistic lock that this open would break does not hold it up:
  // another program may never answer the break. A break in progress is a
  // file in use, as another program's open with no sharing would be.
  const NTSTATUS result = createFile(
      &handle, access | SYNCHRONIZE, &attributes, &status, nullptr, FILE_ATTRIBUTE_NORMAL, share, disposition,
      options | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT | kFileCompleteIfOplocked, nullptr, 0);
  if (!NT_SUCCESS(result)) {
    opened.error = ErrorOf(result);
    return opened;
  }
  opened.handle = UniqueFile(handle);
  if (result == kStatusOplockBreakInProgress) {
    opened.handle = UniqueFile();
    opened.error = ERROR_SHARING_VIOLATION;
  }
  return opened;
}

DWORD RenameInFolder(HANDLE file, HANDLE folder, std::wstring_view name) {
  static auto* const setInformation = Ntdll<decltype(::NtSetInformationFile)>("NtSetInformationFile");
  if (!setInformation) return ERROR_CALL_NOT_IMPLEMENTED;
  if (name.size() > 32767) return ERROR_FILENAME_EXCED_RANGE;
  // The structure ends in the name: one buffer holds both.
  std::vector<unsigned char> buffer(offsetof(FILE_RENAME_INFORMATION, FileName) + name.size() * sizeof(wchar_t));
  auto* rename = reinterpret_cast<FILE_RENAME_INFORMATION*>(buffer.data());
  rename->ReplaceIfExists = TRUE;
  rename->RootDirectory = folder;
  rename->FileNameLength = static_cast<ULONG>(name.size() * sizeof(wchar_t));
  std::copy(name.begin(), name.end(), rename->FileName);
  IO_STATUS_BLOCK status{};
  NTSTATUS result = setInformation(file, &status, rename, static_cast<ULONG>(buffer.size()), FileRenameInformation);
  if (result == kStatusInvalidParameter || result == kStatusNotSupported) {
    // A share's redirector may take no root folder. Without one a bare name
    // renames the file within the folder it is in, which its handle fixes:
    // no path is looked up either way.
    rename->RootDirectory = nullptr;
    result = setInformation(file, &status, rename, static_cast<ULONG>(buffer.size()), FileRenameInformation);
  }
  return NT_SUCCESS(result) ? 0 : ErrorOf(result);
}

bool MarkForDeletion(HANDLE file) {
  static auto* const setInformation = Ntdll<decltype(::NtSetInformationFile)>("NtSetInformationFile");
  if (!setInformation) return false;
  DispositionInformation disposition{TRUE};
  IO_STATUS_BLOCK status{};
  return NT_SUCCESS(setInformation(file, &status, &disposition, sizeof disposition, FileDispositionInformation));
}

bool ListFolder(HANDLE folder, std::size_t most, std::vector<platform::DirectoryEntry>& entries) {
  static auto* const queryDirectory = Ntdll<NtQueryDirectoryFileFunction>("NtQueryDirectoryFile");
  if (!queryDirectory) return false;
  // 64 KiB holds hundreds of entries a call; ULONG-aligned, as the entries are.
  std::vector<ULONG> buffer(16 * 1024);
  for (BOOLEAN restart = TRUE;; restart = FALSE) {
    IO_STATUS_BLOCK status{};
    const NTSTATUS result =
        queryDirectory(folder, nullptr, nullptr, nullptr, &status, buffer.data(),
                       static_cast<ULONG>(buffer.size() * sizeof(ULONG)), FileDirectoryInformation, FALSE, nullptr, restart);
    if (result == kStatusNoMoreFiles) return true;
    if (!NT_SUCCESS(result)) return false;
    const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.data());
    for (ULONG offset = 0;;) {
      const auto* entry = reinterpret_cast<const FILE_DIRECTORY_INFORMATION*>(bytes + offset);
      const std::wstring_view name(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
      if (entries.size() == most) return true;
      if (name != L"." && name != L"..")
        entries.push_back({WideToAnsi(name), entry->FileAttributes,
                           static_cast<std::uint64_t>(entry->EndOfFile.QuadPart)});
      if (entry->NextEntryOffset == 0) break;
      offset += entry->NextEntryOffset;
    }
  }
}

}  // namespace nimbra::win32
