// Names looked up in a folder that is open, through its handle: what the
// NT file calls allow and the *A functions do not. ntdll has them on every NT
// system; they are looked up at run time, as no import library of ours names
// ntdll.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "platform/win32/handles.h"

namespace nimbra::win32 {

struct RelativeOpen {
  UniqueFile handle;  // invalid on failure
  DWORD error = 0;    // Win32 error code when invalid
};

// Opens `name` (no folder part) in `folder` for access, with share and
// NtCreateFile's disposition (FILE_OPEN, FILE_CREATE, FILE_OVERWRITE_IF) and
// options (FILE_NON_DIRECTORY_FILE or FILE_DIRECTORY_FILE). A link or a
// junction of that name is opened as itself, never followed. Synchronous; an
// opportunistic lock of another program's is not waited for: the open fails
// with ERROR_SHARING_VIOLATION while that lock's break is in progress.
RelativeOpen OpenInFolder(HANDLE folder, std::wstring_view name, DWORD access, DWORD share, DWORD disposition,
                          DWORD options);

// Gives the open file (opened with DELETE, in `folder`) the name `name` there,
// replacing a file of that name in one step. A Win32 error code, 0 on success.
DWORD RenameInFolder(HANDLE file, HANDLE folder, std::wstring_view name);

// Deletes the open file (opened with DELETE) once its last handle closes.
bool MarkForDeletion(HANDLE file);

// Lists the folder (opened with FILE_LIST_DIRECTORY) from its first entry
// into entries, "." and ".." left out, names in the ANSI code page, until
// `most` are there. False when the listing failed before its end.
bool ListFolder(HANDLE folder, std::size_t most, std::vector<platform::DirectoryEntry>& entries);

}  // namespace nimbra::win32
