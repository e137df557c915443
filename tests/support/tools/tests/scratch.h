// Helpers of the tools' tests: a scratch folder and a started child process,
// both cleaned up whatever the test does.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

#include "command_line.h"
#include "platform/win32/handles.h"
#include "process_facts.h"

namespace nimbra::tools::testing {

// A fresh folder under the temporary folder; removed with what it holds.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& name) {
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(sizeof(temp), temp);
    path_ = std::string(temp) + name + "-" + std::to_string(GetCurrentProcessId()) + "\\";
    removeAll();
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~ScratchFolder() { removeAll(); }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The folder, with its trailing backslash.
  const std::string& path() const { return path_; }

  void write(const std::string& name, const std::string& bytes) const {
    win32::UniqueFile file(
        CreateFileA((path_ + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }

  // The whole file; empty when it cannot be read.
  std::string read(const std::string& name) const {
    win32::UniqueFile file(CreateFileA((path_ + name).c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (file && ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) bytes.append(buffer, got);
    return bytes;
  }

 private:
  void removeAll() const {
    WIN32_FIND_DATAA entry;
    win32::UniqueFind find(FindFirstFileA((path_ + "*").c_str(), &entry));
    if (find) {
      do {
        DeleteFileA((path_ + entry.cFileName).c_str());
      } while (FindNextFileA(find.get(), &entry));
    }
    RemoveDirectoryA(path_.c_str());
  }

  std::string path_;
};

// A started program; killed at destruction when it is still running.
class ChildProcess {
 public:
  ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
               const std::string& directory = {}) {
    std::string commandLine = joinCommandLine(program, arguments);
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION created{};
    if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       directory.empty() ? nullptr : directory.c_str(), &startup, &created)) {
      process_.reset(created.hProcess);
      CloseHandle(created.hThread);
      id_ = created.dwProcessId;
    }
  }
  ~ChildProcess() {
    if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_.get(), 1);
      WaitForSingleObject(process_.get(), 5000);
    }
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return process_.valid(); }
  DWORD id() const { return id_; }
  // True when the program ended within the time.
  bool waitForExit(std::chrono::milliseconds timeout) const {
    return WaitForSingleObject(process_.get(), static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
  }
  DWORD exitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.get(), &code);
    return code;
  }

 private:
  win32::UniqueHandle process_;
  DWORD id_ = 0;
};

// Polls until the condition holds; false when the time ran out first.
template <typename Condition>
bool eventually(Condition condition, std::chrono::milliseconds timeout = std::chrono::milliseconds(10000)) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    Sleep(10);
  }
  return true;
}

}  // namespace nimbra::tools::testing
