#include "process_facts.h"

#include <windows.h>
// windows.h first: tlhelp32.h relies on its types.
#include <tlhelp32.h>

#include "platform/win32/handles.h"

namespace nimbra::tools {

std::int64_t unixMillis() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const auto ticks = (static_cast<std::int64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  // FILETIME counts 100 ns steps from 1601-01-01.
  constexpr std::int64_t kTicksFrom1601To1970 = 116444736000000000LL;
  return (ticks - kTicksFrom1601To1970) / 10000;
}

std::string currentDirectoryAnsi() {
  const DWORD needed = GetCurrentDirectoryA(0, nullptr);
  std::string folder(needed, '\0');
  folder.resize(GetCurrentDirectoryA(needed, folder.data()));
  return folder;
}

std::wstring currentDirectoryWide() {
  const DWORD needed = GetCurrentDirectoryW(0, nullptr);
  std::wstring folder(needed, L'\0');
  folder.resize(GetCurrentDirectoryW(needed, folder.data()));
  return folder;
}

std::string moduleFolderAnsi() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of("\\/") + 1);
}

std::string parentProcessName() {
  const win32::UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return {};
  const DWORD self = GetCurrentProcessId();
  DWORD parent = 0;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot.get(), &entry); more; more = Process32Next(snapshot.get(), &entry))
    if (entry.th32ProcessID == self) parent = entry.th32ParentProcessID;
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot.get(), &entry); more; more = Process32Next(snapshot.get(), &entry))
    if (parent != 0 && entry.th32ProcessID == parent) return entry.szExeFile;
  return {};
}

std::wstring ansiToWide(const std::string& text) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

bool appendLine(const std::string& path, const std::string& line) {
  win32::UniqueFile file(CreateFileA(path.c_str(), FILE_APPEND_DATA,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  const std::string bytes = line + '\n';
  DWORD written = 0;
  return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

}  // namespace nimbra::tools
