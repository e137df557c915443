// Hidden children and their output, the named mapping probe, windows,
// messages, the shell and the desktop shell.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/codes.h"
#include "platform/win32/handles.h"
#include "platform/win32/process_elevation.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_system_info.h"
#include "test_support.h"

namespace nimbra::win32 {
namespace {

constexpr std::uint32_t kHiddenConsoleFlags = win::kCreateNewConsole | win::kCreateNewProcessGroup;

class ProcessesTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = testing::freshScratchFolder(); }

  std::string self() const { return testing::inQuotes(testing::ownExecutablePath()); }

  Win32Processes processes_;
  std::string folder_;
};

TEST_F(ProcessesTest, HiddenChildOutputComesThroughThePipeOnceTheChildHasEnded) {
  const auto child = processes_.runHiddenCapturingOutput(
      testing::ownExecutablePath(), self() + " --print 2 \"line\r\n\" 300", kHiddenConsoleFlags, "", 10000);
  EXPECT_TRUE(child.started);
  EXPECT_FALSE(child.timedOut);
  EXPECT_EQ(child.output, "line\r\nline\r\n");
}

TEST_F(ProcessesTest, SystemInterpreterPrintsVerWithoutAnyFile) {
  const std::string folder = Win32SystemInfo().systemDirectory();
  const std::string cmd = folder + "\\cmd.exe";
  const auto child = processes_.runHiddenCapturingOutput(cmd, "\"" + cmd + "\" /d /c ver", kHiddenConsoleFlags,
                                                         folder, 10000);
  ASSERT_TRUE(child.started);
  EXPECT_NE(child.output.find("Microsoft Windows 6.1.7601"), std::string::npos) << child.output;
}

TEST_F(ProcessesTest, AChildPastTheTimeOutIsEndedAndAFloodIsCapped) {
  const DWORD started = ::GetTickCount();
  const auto hung = processes_.runHiddenCapturingOutput(
      testing::ownExecutablePath(), self() + " --print 1 early 60000", kHiddenConsoleFlags, "", 500);
  EXPECT_TRUE(hung.started);
  EXPECT_TRUE(hung.timedOut);
  EXPECT_LT(::GetTickCount() - started, 5000u);

  const auto flood = processes_.runHiddenCapturingOutput(
      testing::ownExecutablePath(), self() + " --print 2000 " + std::string(100, 'x') + " 0", 0, "", 10000);
  EXPECT_FALSE(flood.timedOut);
  EXPECT_EQ(flood.output, std::string(platform::kChildOutputLimit, 'x'));

  // Two writers without pause, in blocks far larger than the pipe, keep it full.
  const auto endless =
      processes_.runHiddenCapturingOutput(testing::ownExecutablePath(), self() + " --flood 1048576 2", 0, "", 8000);
  EXPECT_TRUE(endless.timedOut);
  EXPECT_EQ(endless.output, std::string(platform::kChildOutputLimit, 'x'));
}

TEST_F(ProcessesTest, ChildGetsTheCommandLineExactlyAsGivenAndTheDirectory) {
  const std::string report = folder_ + "command-line.txt";
  const std::string commandLine =
      self() + " --write-command-line " + testing::inQuotes(report) + " \"two words\"  x\\y\"";
  ASSERT_TRUE(processes_.runHiddenCapturingOutput(testing::ownExecutablePath(), commandLine, 0, "", 10000).started);
  EXPECT_EQ(testing::readWholeFile(report), commandLine);
  const std::string cwd = folder_ + "cwd.txt";
  ASSERT_TRUE(processes_.runHiddenCapturingOutput(testing::ownExecutablePath(),
                                                  self() + " --write-current-directory " + testing::inQuotes(cwd), 0,
                                                  folder_, 10000).started);
  EXPECT_EQ(testing::readWholeFile(cwd), folder_.substr(0, folder_.size() - 1));
}

// Wine adds variables of its own (WINECONFIGDIR, ...) to every process.
TEST_F(ProcessesTest, ChildEnvironmentHoldsTheSystemFoldersAndNothingOfOurs) {
  ASSERT_TRUE(::SetEnvironmentVariableA("NimbraPlanted", "1"));
  const auto child = processes_.runHiddenCapturingOutput(testing::ownExecutablePath(), self() + " --print-environment",
                                                         0, "", 10000);
  ::SetEnvironmentVariableA("NimbraPlanted", nullptr);
  char windows[MAX_PATH] = {};
  ::GetSystemWindowsDirectoryA(windows, MAX_PATH);
  const std::string lines = "\n" + child.output;
  EXPECT_EQ(lines.find("\nNimbraPlanted="), std::string::npos);
  EXPECT_EQ(lines.find("\nComSpec="), std::string::npos);
  EXPECT_NE(lines.find("\nSystemRoot=" + std::string(windows) + "\n"), std::string::npos) << lines;
  EXPECT_NE(lines.find("\nPATH=" + Win32SystemInfo().systemDirectory() + "\n"), std::string::npos);
}

TEST_F(ProcessesTest, ChildInheritsNoHandleOfOursButThePipe) {
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  UniqueHandle readEnd, writeEnd;
  ASSERT_TRUE(::CreatePipe(readEnd.put(), writeEnd.put(), &inheritable, 0));
  const std::string number = std::to_string(reinterpret_cast<std::uintptr_t>(writeEnd.get()));
  ASSERT_TRUE(processes_.runHiddenCapturingOutput(testing::ownExecutablePath(),
                                                  self() + " --write-to-handle " + number + " inherited", 0, "", 10000)
                  .started);
  DWORD available = 0;
  ASSERT_TRUE(::PeekNamedPipe(readEnd.get(), nullptr, 0, nullptr, &available, nullptr));
  EXPECT_EQ(available, 0u);
}

TEST_F(ProcessesTest, ProgramThatCannotStartReportsNotStarted) {
  EXPECT_FALSE(processes_.runHiddenCapturingOutput("C:\\nowhere\\absent.exe", "absent.exe /c ver",
                                                   kHiddenConsoleFlags, "", 10000).started);
}

TEST_F(ProcessesTest, FirstProbeCreatesTheMappingAndClosesItAgain) {
  const std::string name = "nimbra_memfile_" + testing::currentTestName();
  const auto first = processes_.probeNamedMapping(name, 64);
  EXPECT_TRUE(first.created);
  EXPECT_EQ(first.lastError, win::kErrorSuccess);
  // Had the first probe kept its handle, the second would find the mapping.
  const auto second = processes_.probeNamedMapping(name, 64);
  EXPECT_TRUE(second.created);
  EXPECT_EQ(second.lastError, win::kErrorSuccess);
}

TEST_F(ProcessesTest, ProbeSeesAlreadyExistsWhileAnotherProcessHoldsTheMapping) {
  const std::string name = "nimbra_memfile_" + testing::currentTestName();
  testing::HelperProcess holder("--hold-mapping", name);
  ASSERT_TRUE(holder.ready());
  const auto held = processes_.probeNamedMapping(name, 64);
  EXPECT_TRUE(held.created);
  EXPECT_EQ(held.lastError, win::kErrorAlreadyExists);

  holder.release();
  EXPECT_EQ(processes_.probeNamedMapping(name, 64).lastError, win::kErrorSuccess);
}

// A hidden top-level window of a class of the test's own.
class TestWindow {
 public:
  explicit TestWindow(const std::string& className) : className_(className) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = ::DefWindowProcA;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = className_.c_str();
    ::RegisterClassA(&windowClass);
    window_ = ::CreateWindowExA(0, className_.c_str(), "Nimbra", WS_OVERLAPPEDWINDOW, 0, 0, 100,
                                100, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
  }
  ~TestWindow() {
    if (window_ != nullptr) ::DestroyWindow(window_);
    ::UnregisterClassA(className_.c_str(), ::GetModuleHandleA(nullptr));
  }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  HWND get() const { return window_; }

 private:
  std::string className_;
  HWND window_ = nullptr;
};

TEST_F(ProcessesTest, FindWindowFindsATopLevelWindowByClassAlone) {
  const TestWindow window("TNimbraTestsForm");
  ASSERT_NE(window.get(), nullptr);
  const auto found = processes_.findWindow("TNimbraTestsForm");
  ASSERT_TRUE(found);
  EXPECT_EQ(*found, reinterpret_cast<platform::WindowId>(window.get()));
  EXPECT_FALSE(processes_.findWindow("TNimbraAbsentForm"));
}

TEST_F(ProcessesTest, PostedMessageArrivesInTheWindowsQueueWithItsParameters) {
  const TestWindow window("TNimbraTestsPostForm");
  ASSERT_NE(window.get(), nullptr);
  ASSERT_TRUE(processes_.postMessage(reinterpret_cast<platform::WindowId>(window.get()),
                                     WM_APP + 5, 0x1234, -7));
  MSG message{};
  ASSERT_TRUE(::PeekMessageA(&message, window.get(), WM_APP + 5, WM_APP + 5, PM_REMOVE));
  EXPECT_EQ(message.wParam, 0x1234u);
  EXPECT_EQ(message.lParam, -7);
}

TEST_F(ProcessesTest, PostingToAWindowThatIsGoneFails) {
  HWND gone = nullptr;
  {
    const TestWindow window("TNimbraTestsGoneForm");
    gone = window.get();
  }
  EXPECT_FALSE(processes_.postMessage(reinterpret_cast<platform::WindowId>(gone), WM_QUIT, 0, 0));
}

TEST_F(ProcessesTest, ShellOpenStartsTheProgramInTheGivenDirectory) {
  const std::string report = folder_ + "cwd.txt";
  const std::intptr_t result = processes_.shellExecute(
      "open", testing::ownExecutablePath(), "--write-current-directory " + testing::inQuotes(report), folder_,
      win::kSwShowNormal);
  EXPECT_GT(result, 32);
  ASSERT_TRUE(testing::waitForFile(report, 20000));
  EXPECT_EQ(testing::readWholeFile(report), folder_.substr(0, folder_.size() - 1));
}

// The elevation the desktop shell's check was asked about.
platform::ShellElevation askedAbout = platform::ShellElevation::Unknown;
bool AnyShell(platform::ShellElevation elevation) {
  askedAbout = elevation;
  return true;
}

// Every Wine process is elevated, so this is the route the installer takes;
// Wine's desktop shell is elevated too, which the installer's check refuses.
// This check takes any shell, to show the route itself: the program's parent
// is the desktop process, not the caller.
TEST_F(ProcessesTest, DesktopShellStartsTheProgramAsItsOwnChildInTheGivenDirectory) {
  const std::string parent = folder_ + "parent.txt";
  const auto started = processes_.shellExecuteAsDesktop(
      "open", testing::ownExecutablePath(), "--write-parent " + testing::inQuotes(parent), folder_,
      win::kSwShowNormal, AnyShell);
  ASSERT_TRUE(started.started()) << static_cast<int>(started.failedStep) << " 0x" << std::hex << started.result;
  EXPECT_EQ(askedAbout, platform::ShellElevation::Elevated);
  ASSERT_TRUE(testing::waitForFile(parent, 20000));
  EXPECT_EQ(testing::readWholeFile(parent), "explorer.exe");
}

// Asks the desktop shell from a child process (the role --desktop-shell):
// "<failed step> <its HRESULT> <elevation asked about>".
std::string askDesktopShellApart(const std::string& check, const std::string& program, const std::string& folder) {
  const std::string self = testing::ownExecutablePath();
  return Win32Processes()
      .runHiddenCapturingOutput(self,
                                testing::inQuotes(self) + " --desktop-shell " + check + " " +
                                    testing::inQuotes(program) + " " + testing::inQuotes(folder),
                                0, "", 60000)
      .output;
}

// The elevation is read from the process that owns the shell's desktop (Wine's
// is elevated), and a refused shell is asked nothing more (step 6, ShellRights).
TEST_F(ProcessesTest, ADesktopShellTheCheckRefusesIsAskedNothingMore) {
  EXPECT_EQ(askDesktopShellApart("unelevated", testing::ownExecutablePath(), folder_), "6 00000000 E");
}

// Wine's shell says S_FALSE (1) when it cannot start the program: no start (step 11, Execute).
TEST_F(ProcessesTest, ADesktopShellThatCannotStartTheProgramSaysSo) {
  EXPECT_EQ(askDesktopShellApart("any", folder_ + "Nimbra.exe", folder_), "11 00000001 E");
}

// Every Wine process runs elevated; Windows would say NotElevated for the
// desktop shell of a user under UAC. Process 0 is none that can be read.
TEST_F(ProcessesTest, TheElevationOfAProcessIsReadFromItsToken) {
  EXPECT_EQ(ElevationOfProcess(::GetCurrentProcessId()).elevation, platform::ShellElevation::Elevated);
  const ReadElevation none = ElevationOfProcess(0);
  EXPECT_EQ(none.elevation, platform::ShellElevation::Unknown);
  EXPECT_NE(none.error, 0u);
}

TEST_F(ProcessesTest, ShellOpenOfAMissingFileReportsFileNotFound) {
  EXPECT_EQ(processes_.shellExecute("open", folder_ + "Nimbra.exe", "", "", win::kSwShowNormal),
            static_cast<std::intptr_t>(win::kErrorFileNotFound));
}

}  // namespace
}  // namespace nimbra::win32
