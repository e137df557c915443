// Scratch places and helper processes for the tests of the real platform layer.
// Everything here calls Win32 directly, so that a fault in the layer under test
// cannot hide itself in the test's own set-up.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/handles.h"

namespace nimbra::win32::testing {

// "Suite.Name" of the running test: scratch names derive from it, so that tests
// run side by side (ctest -j) never share a file, key, mapping or event.
std::string currentTestName();

std::string ownExecutablePath();
std::string inQuotes(std::string_view text);

// %TEMP%\NimbraTests\<test name>\, emptied and created; ends with a backslash.
std::string freshScratchFolder();
void deleteTree(const std::string& folder);  // folder without trailing backslash

void writeWholeFile(const std::string& path, std::string_view bytes);
// The whole file; empty when it cannot be read.
std::string readWholeFile(const std::string& path);

// Software\Tarvel\NimbraTests\<test name>, deleted (with its subkeys) in the given
// view of root; the path is returned.
std::string freshScratchKeyPath(HKEY root, REGSAM view);
// Writes a value of any type directly with RegSetValueExA.
void setRawValue(HKEY root, const std::string& path, REGSAM view, const char* name, DWORD type,
                 std::string_view bytes);

// A copy of this test executable run in one of the child roles of main.cpp. It has
// done its part (holds its file or mapping) when start() returns; it lets go and
// ends when the object is destroyed.
class HelperProcess {
 public:
  // role is e.g. "--hold-file"; the ready and release event names are appended.
  HelperProcess(std::string_view role, std::string_view argument);
  ~HelperProcess();
  HelperProcess(const HelperProcess&) = delete;
  HelperProcess& operator=(const HelperProcess&) = delete;

  bool ready() const { return ready_; }
  // Lets the helper go and waits for it to end.
  void release();

 private:
  UniqueHandle readyEvent_;
  UniqueHandle releaseEvent_;
  UniqueHandle process_;
  bool ready_ = false;
};

// Runs command line with CreateProcessA and waits up to timeoutMs; its exit code,
// or -1 when it did not start or did not end in time.
int runAndWait(const std::string& commandLine, DWORD timeoutMs = 30000);

// Waits until a file exists and has some content; false after timeoutMs.
bool waitForFile(const std::string& path, DWORD timeoutMs);

}  // namespace nimbra::win32::testing
