// Functions of system DLLs that every process has loaded already (kernel32,
// ntdll, advapi32 for the installer), looked up at run time: for calls that
// older Windows lack, and for ntdll, which no import library of ours names.
// Nothing is loaded.
#pragma once

#include <windows.h>

namespace nimbra::win32 {

// The function as a pointer of the given type (name it through the SDK's own
// declaration, decltype(::Name), or a typedef); null when the module is not
// loaded or does not export it.
template <typename Function>
Function* LoadedFunction(const char* module, const char* name) noexcept {
  const HMODULE loaded = ::GetModuleHandleA(module);
  // Through void(*)(): GCC accepts that as a match for any function type.
  return loaded ? reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(::GetProcAddress(loaded, name))) : nullptr;
}

}  // namespace nimbra::win32
