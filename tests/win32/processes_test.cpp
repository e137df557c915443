// Child processes, the named mapping probe, windows, messages and the shell.
#include <gtest/gtest.h>

#include <string>

#include "platform/codes.h"
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

TEST_F(ProcessesTest, RunHiddenAndWaitReturnsOnlyOnceTheChildHasEnded) {
  const std::string report = folder_ + "done.txt";
  ASSERT_TRUE(processes_.runHiddenAndWait(
      self() + " --sleep-then-write 500 " + testing::inQuotes(report), kHiddenConsoleFlags));
  EXPECT_EQ(testing::readWholeFile(report), "done");
}

TEST_F(ProcessesTest, CommandInterpreterWritesTheVerOutputToTheRedirectedFile) {
  const auto comSpec = Win32SystemInfo().environmentVariable("ComSpec");
  ASSERT_TRUE(comSpec);
  const std::string output = folder_ + "abcdefgh";
  ASSERT_TRUE(processes_.runHiddenAndWait(*comSpec + " /c ver > " + testing::inQuotes(output),
                                          kHiddenConsoleFlags));
  EXPECT_NE(testing::readWholeFile(output).find("Microsoft Windows 6.1.7601"), std::string::npos)
      << testing::readWholeFile(output);
}

TEST_F(ProcessesTest, ChildGetsTheCommandLineExactlyAsGiven) {
  const std::string report = folder_ + "command-line.txt";
  const std::string commandLine =
      self() + " --write-command-line " + testing::inQuotes(report) + " \"two words\"  x\\y\"";
  ASSERT_TRUE(processes_.runHiddenAndWait(commandLine, 0));
  EXPECT_EQ(testing::readWholeFile(report), commandLine);
}

TEST_F(ProcessesTest, ProgramThatCannotStartReportsFalse) {
  EXPECT_FALSE(processes_.runHiddenAndWait("C:\\nowhere\\absent.exe /c ver", kHiddenConsoleFlags));
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

TEST_F(ProcessesTest, ShellOpenWithAnEmptyDirectoryStartsInTheCurrentDirectory) {
  char previous[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, previous);
  const std::string folder = folder_.substr(0, folder_.size() - 1);
  ASSERT_TRUE(processes_.setCurrentDirectory(folder_));
  const std::string report = folder_ + "cwd.txt";
  const std::intptr_t result = processes_.shellExecute(
      "open", testing::ownExecutablePath(), "--write-current-directory " + testing::inQuotes(report),
      "", win::kSwShowNormal);
  ::SetCurrentDirectoryA(previous);
  EXPECT_GT(result, 32);
  ASSERT_TRUE(testing::waitForFile(report, 20000));
  EXPECT_EQ(testing::readWholeFile(report), folder);
}

TEST_F(ProcessesTest, ShellOpenOfAMissingFileReportsFileNotFound) {
  EXPECT_EQ(processes_.shellExecute("open", folder_ + "Nimbra.exe", "", "", win::kSwShowNormal),
            static_cast<std::intptr_t>(win::kErrorFileNotFound));
}

TEST_F(ProcessesTest, SettingAMissingCurrentDirectoryFailsAndKeepsTheOldOne) {
  char before[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, before);
  EXPECT_FALSE(processes_.setCurrentDirectory(folder_ + "absent\\"));
  char after[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, after);
  EXPECT_STREQ(after, before);
}

}  // namespace
}  // namespace nimbra::win32
