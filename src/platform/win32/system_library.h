// DLLs of the system folder, loaded when first needed instead of imported.
//
// An elevated installer is typically started from the Downloads folder, where
// a planted DLL named like a system one must never be loaded. A SystemLibrary
// therefore loads its file by its full path in the system folder (System32;
// SysWOW64 for a 32-bit process on 64-bit Windows), never by a bare name,
// which the search order (or a module of that name already loaded) could
// resolve elsewhere. It frees the module when destroyed; it can be moved, not
// copied.
//
//   SystemLibrary user32("user32.dll");
//   if (auto* box = user32.procedure<decltype(::MessageBoxA)>("MessageBoxA")) box(...);
//
// Naming the type through the SDK's own declaration (decltype) keeps the
// calling convention and the parameters right, and imports nothing.
#pragma once

#include <windows.h>

#include <optional>

#include "platform/win32/handles.h"

namespace nimbra::win32 {

class SystemLibrary {
 public:
  // fileName: a bare file name such as "shell32.dll". Check loaded().
  explicit SystemLibrary(const char* fileName);

  bool loaded() const noexcept { return module_.valid(); }
  HMODULE module() const noexcept { return module_.get(); }

  // The exported procedure as a pointer of the given function type; null when
  // the library did not load or does not export the name.
  template <typename Function>
  Function* procedure(const char* name) const noexcept {
    if (!loaded()) return nullptr;
    // Through void(*)(): GCC accepts that as a match for any function type.
    return reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(::GetProcAddress(module_.get(), name)));
  }

 private:
  UniqueModule module_;
};

// A SystemLibrary loaded on the first call of get(), which then lasts as long
// as this object. A failed load is not retried.
class OnDemandLibrary {
 public:
  explicit OnDemandLibrary(const char* fileName) noexcept : fileName_(fileName) {}

  const SystemLibrary& get() {
    if (!library_) library_.emplace(fileName_);
    return *library_;
  }

 private:
  const char* fileName_;
  std::optional<SystemLibrary> library_;
};

// How SystemLibrary loads, exposed so that the tests can take both ways: the
// full path from GetSystemDirectoryA, with the DLL's own imports searched in
// System32 alone (LOAD_LIBRARY_SEARCH_SYSTEM32) when withSearchFlags, else in
// the DLL's folder first (LOAD_WITH_ALTERED_SEARCH_PATH), for Vista and 7
// without KB2533623, which do not know that flag. Null when the file is not in
// the system folder or does not load.
HMODULE LoadFromSystemFolder(const char* fileName, bool withSearchFlags);

}  // namespace nimbra::win32
