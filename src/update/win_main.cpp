// The program entry of nimbra-pack-update.exe. Deliberately thin: it hardens
// the process and hands the real platform to the portable core; everything
// worth testing lives there.
#include <windows.h>

#include "platform/win32/win32_platform.h"
#include "update/installer_main.h"

#include <cstdlib>

namespace {

// An installer is typically started from the Downloads folder, where a planted
// DLL named like a system one would otherwise be loaded from the application
// folder or the current directory. Restrict every later load to System32.
void restrictDllSearchToSystem32() {
  constexpr DWORD kLoadLibrarySearchSystem32 = 0x00000800;
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

  // Looked up at run time: Vista and 7 without KB2533623 lack it.
  if (HMODULE kernel32 = GetModuleHandleA("kernel32.dll")) {
    // Through void(*)(): GCC accepts that as a match for any function type.
    auto setDefaultDllDirectories = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel32, "SetDefaultDllDirectories")));
    if (setDefaultDllDirectories && setDefaultDllDirectories(kLoadLibrarySearchSystem32)) {
      return;
    }
  }
  // Without it, at least take the current directory out of the search order.
  SetDllDirectoryA("");
}

}  // namespace

// libstdc++'s default handler for an uncaught exception prints the demangled
// type name to stderr, which a GUI program does not have, and then aborts.
// Its demangler alone is 46 KB of the installer; ours only aborts. Defined
// here, in the executable, the library's copy is never linked in.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  restrictDllSearchToSystem32();
  nimbra::win32::Win32Platform windows;
  nimbra::platform::Platform platform = windows.platform();
  return static_cast<int>(nimbra::RunInstaller(platform, platform.system.commandLine()));
}
