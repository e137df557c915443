// The safe open of a file that a user named for an elevated program to append
// to (the installer's log). See FileSystem::openForAppend.
#pragma once

#include <string_view>

#include "platform/win32/handles.h"

namespace nimbra::win32 {

// An append-only handle (FILE_APPEND_DATA: every write lands at the end),
// shared for reading and writing so that a viewer or a second run can use the
// file too. Invalid when the file cannot be opened or created, or when it is
// not the plain disk file that the path names itself: a link or junction as
// its last component or on the way (its final path differs from the full path
// asked for), another hard link, a device or a pipe. A file that this call
// created and then refused is removed again.
UniqueFile OpenForAppendSafely(std::string_view path);

}  // namespace nimbra::win32
