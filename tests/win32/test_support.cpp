#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace nimbra::win32::testing {

std::string currentTestName() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  if (info == nullptr) return "NoTest";
  std::string name = std::string(info->test_suite_name()) + "." + info->name();
  std::replace(name.begin(), name.end(), '/', '_');
  return name;
}

std::string ownExecutablePath() {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

std::string inQuotes(std::string_view text) {
  std::string result(1, '"');
  result.append(text);
  result.push_back('"');
  return result;
}

void deleteTree(const std::string& folder) {
  WIN32_FIND_DATAA found{};
  const UniqueFind find(::FindFirstFileA((folder + "\\*").c_str(), &found));
  if (find) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = folder + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        deleteTree(path);
      } else {
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(path.c_str());
      }
    } while (::FindNextFileA(find.get(), &found));
  }
  ::RemoveDirectoryA(folder.c_str());
}

std::string freshScratchFolder() {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  std::string base = temp;
  if (!base.empty() && base.back() != '\\') base += '\\';
  base += "NimbraTests";
  ::CreateDirectoryA(base.c_str(), nullptr);
  const std::string folder = base + "\\" + currentTestName();
  deleteTree(folder);
  EXPECT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr)) << folder;
  return folder + "\\";
}

void writeWholeFile(const std::string& path, std::string_view bytes) {
  const UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file.valid()) << path << " error " << ::GetLastError();
  DWORD written = 0;
  ASSERT_TRUE(::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                          nullptr));
  ASSERT_EQ(written, bytes.size());
}

std::string readWholeFile(const std::string& path) {
  const UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  std::string bytes;
  if (!file) return bytes;
  char block[4096];
  DWORD got = 0;
  while (::ReadFile(file.get(), block, sizeof block, &got, nullptr) && got > 0)
    bytes.append(block, got);
  return bytes;
}

std::string freshScratchKeyPath(HKEY root, REGSAM view) {
  const std::string base = "Software\\Tarvel\\NimbraTests";
  UniqueKey parent;
  EXPECT_EQ(::RegCreateKeyExA(root, base.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS | view, nullptr, parent.put(), nullptr),
            ERROR_SUCCESS);
  const std::string name = currentTestName();
  ::RegDeleteTreeA(parent.get(), name.c_str());
  return base + "\\" + name;
}

void setRawValue(HKEY root, const std::string& path, REGSAM view, const char* name, DWORD type,
                 std::string_view bytes) {
  UniqueKey key;
  ASSERT_EQ(::RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS | view, nullptr, key.put(), nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(::RegSetValueExA(key.get(), name, 0, type,
                             reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS);
}

HelperProcess::HelperProcess(std::string_view role, std::string_view argument) {
  const std::string base =
      "NimbraTests." + currentTestName() + "." + std::to_string(::GetCurrentProcessId());
  const std::string readyName = base + ".ready";
  const std::string releaseName = base + ".release";
  readyEvent_.reset(::CreateEventA(nullptr, TRUE, FALSE, readyName.c_str()));
  releaseEvent_.reset(::CreateEventA(nullptr, TRUE, FALSE, releaseName.c_str()));
  if (!readyEvent_ || !releaseEvent_) return;
  std::string commandLine = inQuotes(ownExecutablePath()) + " " + std::string(role) + " " +
                            inQuotes(argument) + " " + readyName + " " + releaseName;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started))
    return;
  process_.reset(started.hProcess);
  ::CloseHandle(started.hThread);
  const HANDLE waitFor[] = {readyEvent_.get(), process_.get()};
  ready_ = ::WaitForMultipleObjects(2, waitFor, FALSE, 30000) == WAIT_OBJECT_0;
}

void HelperProcess::release() {
  if (releaseEvent_) ::SetEvent(releaseEvent_.get());
  if (process_ && ::WaitForSingleObject(process_.get(), 10000) != WAIT_OBJECT_0)
    ::TerminateProcess(process_.get(), 1);
  process_.reset();
}

HelperProcess::~HelperProcess() { release(); }

int runAndWait(const std::string& commandLine, DWORD timeoutMs) {
  std::string mutableLine = commandLine;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!::CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started))
    return -1;
  const UniqueHandle process(started.hProcess);
  const UniqueHandle thread(started.hThread);
  if (::WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0) {
    ::TerminateProcess(process.get(), 1);
    return -1;
  }
  DWORD code = 0;
  ::GetExitCodeProcess(process.get(), &code);
  return static_cast<int>(code);
}

bool waitForFile(const std::string& path, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) &&
        (data.nFileSizeLow != 0 || data.nFileSizeHigh != 0))
      return true;
    if (::GetTickCount() - start > timeoutMs) return false;
    ::Sleep(20);
  }
}

}  // namespace nimbra::win32::testing
