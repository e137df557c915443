// RunConsoleCommand with the real command interpreter, in this test process.
#include <windows.h>

#include <gtest/gtest.h>

#include "host/os_console.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/handles.h"
#include "test_support.h"

namespace nimbra::win32 {
namespace {

TEST(StartupConsole, VerOutputComesBackAndItsFileIsGone) {
  const std::string temp = testing::freshScratchFolder();
  char oldTemp[MAX_PATH] = {};
  ::GetEnvironmentVariableA("Temp", oldTemp, MAX_PATH);
  ::SetEnvironmentVariableA("Temp", temp.c_str());

  Win32Platform real;
  platform::Platform platform = real.platform();
  RandomGenerator random{::GetTickCount()};
  const std::string output = RunConsoleCommand(platform, random, "ver");
  ::SetEnvironmentVariableA("Temp", oldTemp);

  // Wine's cmd prints an empty line, then its version line.
  EXPECT_EQ(output.rfind("\r\nMicrosoft Windows ", 0), 0u) << output;
  EXPECT_TRUE(output.ends_with("\r\n"));
  WIN32_FIND_DATAA found{};
  const UniqueFind find(::FindFirstFileA((temp + "*").c_str(), &found));
  int entries = 0;
  if (find) {
    do {
      std::string name = found.cFileName;
      if (name != "." && name != "..") ++entries;
    } while (::FindNextFileA(find.get(), &found));
  }
  EXPECT_EQ(entries, 0);
}

}  // namespace
}  // namespace nimbra::win32
