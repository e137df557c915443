// RunConsoleCommand with the real command interpreter, in this test process.
#include <windows.h>

#include <gtest/gtest.h>

#include "host/os_console.h"
#include "platform/win32/win32_platform.h"

namespace nimbra::win32 {

TEST(StartupConsole, VerOutputComesBackThroughThePipe) {
  Win32Platform real;
  platform::Platform platform = real.platform();
  const std::string output = RunConsoleCommand(platform, "ver");
  // Wine's cmd prints an empty line, then its version line.
  EXPECT_EQ(output.rfind("\r\nMicrosoft Windows ", 0), 0u) << output;
  EXPECT_TRUE(output.ends_with("\r\n"));
}

}  // namespace nimbra::win32
