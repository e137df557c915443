// The kinds of Windows handle this layer holds, each with its own invalid
// value and closing function.
#pragma once

#include <windows.h>

#include "platform/win32/unique_handle.h"

namespace nimbra::win32 {

// Process, thread, file mapping, event: null when absent, CloseHandle.
struct KernelHandleTraits {
  using Type = HANDLE;
  static Type invalid() noexcept { return nullptr; }
  static void close(Type handle) noexcept { ::CloseHandle(handle); }
};

// CreateFileA reports failure as INVALID_HANDLE_VALUE, not null.
struct FileHandleTraits {
  using Type = HANDLE;
  static Type invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(Type handle) noexcept { ::CloseHandle(handle); }
};

// FindFirstFileA handles are closed with FindClose, never CloseHandle.
struct FindHandleTraits {
  using Type = HANDLE;
  static Type invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(Type handle) noexcept { ::FindClose(handle); }
};

struct RegistryKeyTraits {
  using Type = HKEY;
  static Type invalid() noexcept { return nullptr; }
  static void close(Type key) noexcept { ::RegCloseKey(key); }
};

// LoadLibrary counts its loads: each is undone by one FreeLibrary.
struct ModuleTraits {
  using Type = HMODULE;
  static Type invalid() noexcept { return nullptr; }
  static void close(Type module) noexcept { ::FreeLibrary(module); }
};

// AllocateAndInitializeSid hands out SIDs that FreeSid releases.
struct SidTraits {
  using Type = PSID;
  static Type invalid() noexcept { return nullptr; }
  static void close(Type sid) noexcept { ::FreeSid(sid); }
};

using UniqueHandle = UniqueAny<KernelHandleTraits>;
using UniqueFile = UniqueAny<FileHandleTraits>;
using UniqueFind = UniqueAny<FindHandleTraits>;
using UniqueKey = UniqueAny<RegistryKeyTraits>;
using UniqueModule = UniqueAny<ModuleTraits>;
using UniqueSid = UniqueAny<SidTraits>;

}  // namespace nimbra::win32
