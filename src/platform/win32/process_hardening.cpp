#include "platform/win32/process_hardening.h"

#include <windows.h>

namespace nimbra::win32 {

namespace {

// Through void(*)(): GCC accepts that as a match for any function type.
template <typename Function>
Function kernel32Function(const char* name) {
  const HMODULE kernel32 = ::GetModuleHandleA("kernel32.dll");
  if (kernel32 == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(kernel32, name)));
}

// An installer is typically started from the Downloads folder, where a planted
// DLL named like a system one would otherwise be loaded from the application
// folder or the current directory.
void restrictDllSearchToSystem32() {
  constexpr DWORD kLoadLibrarySearchSystem32 = 0x00000800;
  // Looked up at run time: Vista and 7 without KB2533623 lack it.
  const auto setDefaultDllDirectories = kernel32Function<BOOL(WINAPI*)(DWORD)>("SetDefaultDllDirectories");
  if (setDefaultDllDirectories && setDefaultDllDirectories(kLoadLibrarySearchSystem32)) return;
  // Without it, at least take the current directory out of the search order.
  ::SetDllDirectoryA("");
}

// The folder the installer writes to may be the user's; a junction planted in
// it must not lead the elevated process elsewhere. The policy and its record
// are newer than the headers of older toolchains, hence spelled out here.
void refuseUserRedirections() {
  constexpr int kProcessRedirectionTrustPolicy = 16;
  constexpr DWORD kEnforceRedirectionTrust = 0x1;
  struct RedirectionTrustPolicy {
    DWORD flags;
  } policy{kEnforceRedirectionTrust};
  // Windows 8 and later; the policy itself only from Windows 11 22H2, older
  // systems refuse it and nothing changes.
  const auto setProcessMitigationPolicy =
      kernel32Function<BOOL(WINAPI*)(int, PVOID, SIZE_T)>("SetProcessMitigationPolicy");
  if (setProcessMitigationPolicy) setProcessMitigationPolicy(kProcessRedirectionTrustPolicy, &policy, sizeof policy);
}

}  // namespace

void HardenProcess() {
  restrictDllSearchToSystem32();
  refuseUserRedirections();
}

}  // namespace nimbra::win32
