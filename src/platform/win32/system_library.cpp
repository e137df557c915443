#include "platform/win32/system_library.h"

#include <string>

namespace nimbra::win32 {
namespace {

// Not in every SDK's headers; the value is fixed by the ABI.
constexpr DWORD kLoadLibrarySearchSystem32 = 0x00000800;

// Microsoft's documented test for the LOAD_LIBRARY_SEARCH_* flags: they came
// with AddDllDirectory (KB2533623 on Vista and 7). Without them LoadLibraryExA
// fails with ERROR_INVALID_PARAMETER.
bool searchFlagsKnown() {
  const HMODULE kernel32 = ::GetModuleHandleA("kernel32.dll");
  return kernel32 != nullptr && ::GetProcAddress(kernel32, "AddDllDirectory") != nullptr;
}

}  // namespace

HMODULE LoadFromSystemFolder(const char* fileName, bool withSearchFlags) {
  char folder[MAX_PATH];
  const UINT length = ::GetSystemDirectoryA(folder, sizeof folder);
  if (length == 0 || length >= sizeof folder) return nullptr;
  const std::string path = std::string(folder, length) + '\\' + fileName;
  return ::LoadLibraryExA(path.c_str(), nullptr,
                          withSearchFlags ? kLoadLibrarySearchSystem32 : LOAD_WITH_ALTERED_SEARCH_PATH);
}

SystemLibrary::SystemLibrary(const char* fileName) : module_(LoadFromSystemFolder(fileName, searchFlagsKnown())) {}

}  // namespace nimbra::win32
