#include "location_support.h"

#include <gtest/gtest.h>

#include "platform/win32/handles.h"
#include "test_support.h"

namespace nimbra::win32::testing {

namespace {

// Wine's kernel32 export that names the Unix file behind a Windows path; the
// caller frees the text with HeapFree.
std::optional<std::string> unixPathOf(const std::string& windowsPath) {
  using Function = char*(__cdecl*)(const WCHAR*);
  auto* function = reinterpret_cast<Function>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (function == nullptr) return std::nullopt;
  std::wstring wide(windowsPath.size() + 1, L'\0');
  const int length = ::MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide.data(),
                                           static_cast<int>(wide.size()));
  if (length == 0) return std::nullopt;
  char* unix = function(wide.c_str());
  if (unix == nullptr) return std::nullopt;
  std::string result = unix;
  ::HeapFree(::GetProcessHeap(), 0, unix);
  return result;
}

// Wine starts a Unix executable named by its path like a Windows program, but
// neither its end nor its exit code comes back: callers wait for the outcome.
void runUnix(const std::string& commandLine) { runAndWait(commandLine, 10000); }

bool waitUntilPresent(const std::string& path, bool present) {
  for (int attempt = 0; attempt < 250; ++attempt) {
    if ((::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) == present) return true;
    ::Sleep(20);
  }
  return false;
}

}  // namespace

std::string productKeyForTest() { return "NimbraTest." + currentTestName(); }

void deleteUninstallEntry(const std::string& prefix, const std::string& productKey) {
  UniqueKey parent;
  const std::string parentPath = prefix.substr(0, prefix.size() - 1);
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, parentPath.c_str(), 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, parent.put()) !=
      ERROR_SUCCESS)
    return;
  ::RegDeleteTreeA(parent.get(), productKey.c_str());
}

void setMachineString(const std::string& path, REGSAM view, const char* name, std::string_view text) {
  setRawValue(HKEY_LOCAL_MACHINE, path, view, name, REG_SZ, std::string(text) + '\0');
}

std::optional<RawValue> readMachineValue(const std::string& path, REGSAM view, const char* name) {
  UniqueKey key;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | view, key.put()) != ERROR_SUCCESS)
    return std::nullopt;
  RawValue value;
  DWORD size = 0;
  if (::RegQueryValueExA(key.get(), name, nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
  value.data.resize(size);
  if (::RegQueryValueExA(key.get(), name, nullptr, &value.type, reinterpret_cast<BYTE*>(value.data.data()), &size) !=
      ERROR_SUCCESS)
    return std::nullopt;
  value.data.resize(size);
  return value;
}

std::string runCapturingOutput(const std::string& commandLine) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return {};
  const UniqueHandle reader(readEnd);
  UniqueHandle writer(writeEnd);
  ::SetHandleInformation(reader.get(), HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  startup.hStdOutput = writer.get();
  startup.hStdError = writer.get();
  startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION started{};
  std::string mutableLine = commandLine;
  if (!::CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &started))
    return {};
  const UniqueHandle process(started.hProcess);
  const UniqueHandle thread(started.hThread);
  writer.reset();  // the child's copy is the only writer left: the read ends with the child

  std::string output;
  char block[4096];
  DWORD got = 0;
  while (::ReadFile(reader.get(), block, sizeof block, &got, nullptr) && got > 0) output.append(block, got);
  if (::WaitForSingleObject(process.get(), 30000) != WAIT_OBJECT_0) ::TerminateProcess(process.get(), 1);
  return output;
}

bool makeUnixSymlink(const std::string& target, const std::string& link) {
  const auto folder = unixPathOf(link.substr(0, link.find_last_of('\\')));
  if (!folder) return false;
  const std::string name = link.substr(link.find_last_of('\\') + 1);
  runUnix("/bin/ln -s " + inQuotes(target) + " " + inQuotes(*folder + "/" + name));
  return waitUntilPresent(link, true);
}

void removeUnixSymlink(const std::string& link) {
  // An rm started for nothing could still be running when the next link is made.
  if (::GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES) return;
  const auto folder = unixPathOf(link.substr(0, link.find_last_of('\\')));
  if (!folder) return;
  // rm without -r removes the link itself, never the tree behind it.
  runUnix("/bin/rm -f " + inQuotes(*folder + "/" + link.substr(link.find_last_of('\\') + 1)));
  waitUntilPresent(link, false);
}

}  // namespace nimbra::win32::testing
