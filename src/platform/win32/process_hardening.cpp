#include "platform/win32/process_hardening.h"

#include <windows.h>

#include "platform/win32/loaded_function.h"

namespace nimbra::win32 {

namespace {

// An installer is typically started from the Downloads folder, where a planted
// DLL named like a system one would otherwise be loaded from the application
// folder or the current directory.
void restrictDllSearchToSystem32() {
  constexpr DWORD kLoadLibrarySearchSystem32 = 0x00000800;
  // Looked up at run time: Vista and 7 without KB2533623 lack it.
  auto* const setDefaultDllDirectories =
      LoadedFunction<BOOL WINAPI(DWORD)>("kernel32.dll", "SetDefaultDllDirectories");
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
  auto* const setProcessMitigationPolicy =
      LoadedFunction<BOOL WINAPI(int, PVOID, SIZE_T)>("kernel32.dll", "SetProcessMitigationPolicy");
  if (setProcessMitigationPolicy) setProcessMitigationPolicy(kProcessRedirectionTrustPolicy, &policy, sizeof policy);
}

}  // namespace

void HardenProcess() {
  restrictDllSearchToSystem32();
  refuseUserRedirections();
}

}  // namespace nimbra::win32
