// The substitute Nimbra as the installer meets it: from another process.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "json_line.h"
#include "scratch.h"

namespace nimbra::tools {
namespace {

using namespace std::chrono_literals;
using testing::ChildProcess;
using testing::eventually;
using testing::ScratchFolder;

constexpr char kMapping[] = "nimbra_memfile";
constexpr char kWindowClass[] = "TNimbraMainForm";

bool mappingExists() {
  win32::UniqueHandle mapping(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 64, kMapping));
  return GetLastError() == ERROR_ALREADY_EXISTS;
}

// The open of the installed pack's probe: reading, no sharing at all.
DWORD exclusiveOpenError(const std::string& path) {
  win32::UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                     nullptr));
  return file ? ERROR_SUCCESS : GetLastError();
}

// The "event" names of the log, in order.
std::vector<std::string> events(const std::string& log) {
  std::vector<std::string> names;
  const std::string marker = "{\"event\":\"";
  for (std::size_t at = log.find(marker); at != std::string::npos; at = log.find(marker, at + 1)) {
    const std::size_t begin = at + marker.size();
    names.push_back(log.substr(begin, log.find('"', begin) - begin));
  }
  return names;
}

class SubstituteNimbra : public ::testing::Test {
 protected:
  SubstituteNimbra() { folder.write("dwix.cok", std::string("dwix\x26", 5) + "content"); }

  std::string nimbra() const { return moduleFolderAnsi() + "nimbra.exe"; }
  std::string logPath() const { return folder.path() + "nimbra.log"; }
  std::string packPath() const { return folder.path() + "dwix.cok"; }
  std::string log() const { return folder.read("nimbra.log"); }
  bool ready() const { return log().find("\"event\":\"ready\"") != std::string::npos; }

  std::vector<std::string> serve(std::vector<std::string> options) const {
    options.insert(options.begin(), {"--serve", "--log", logPath()});
    return options;
  }

  ScratchFolder folder{"nimbra-substitute-test"};
};

TEST_F(SubstituteNimbra, HoldsThePackUntilTheDelayAfterWmQuitHasPassed) {
  ChildProcess nimbraProcess(nimbra(), serve({"--hold", packPath(), "--quit-delay-ms", "600"}));
  ASSERT_TRUE(nimbraProcess.started());
  ASSERT_TRUE(eventually([&] { return ready(); }));

  EXPECT_TRUE(mappingExists());
  HWND window = FindWindowA(kWindowClass, nullptr);
  ASSERT_NE(window, nullptr);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  EXPECT_EQ(owner, nimbraProcess.id());
  EXPECT_EQ(exclusiveOpenError(packPath()), static_cast<DWORD>(ERROR_SHARING_VIOLATION));

  const auto posted = std::chrono::steady_clock::now();
  ASSERT_TRUE(PostMessageA(window, WM_QUIT, 0, 0));
  ASSERT_TRUE(eventually([&] { return exclusiveOpenError(packPath()) == ERROR_SUCCESS; }, 5000ms));
  const auto heldFor = std::chrono::steady_clock::now() - posted;
  EXPECT_GE(heldFor, 550ms);
  EXPECT_LT(heldFor, 2000ms);

  ASSERT_TRUE(nimbraProcess.waitForExit(5000ms));
  EXPECT_EQ(nimbraProcess.exitCode(), 0u);
  EXPECT_FALSE(mappingExists());
  EXPECT_EQ(events(log()), (std::vector<std::string>{"started", "ready", "quit-received", "file-released",
                                                     "mapping-closed", "exit"}));
  EXPECT_NE(log().find("\"to_window\":true"), std::string::npos);
}

TEST_F(SubstituteNimbra, HoldsDwixCokOfItsOwnFolderByDefault) {
  ASSERT_TRUE(CopyFileA(nimbra().c_str(), (folder.path() + "nimbra.exe").c_str(), FALSE));
  ChildProcess nimbraProcess(folder.path() + "nimbra.exe", serve({}));
  ASSERT_TRUE(eventually([&] { return ready(); }));
  EXPECT_EQ(exclusiveOpenError(packPath()), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  PostMessageA(FindWindowA(kWindowClass, nullptr), WM_QUIT, 0, 0);
  ASSERT_TRUE(nimbraProcess.waitForExit(5000ms));
  EXPECT_EQ(exclusiveOpenError(packPath()), static_cast<DWORD>(ERROR_SUCCESS));
}

TEST_F(SubstituteNimbra, WithoutMappingShowsOnlyTheWindow) {
  ChildProcess nimbraProcess(nimbra(), serve({"--no-mapping", "--no-hold"}));
  ASSERT_TRUE(eventually([&] { return ready(); }));
  EXPECT_FALSE(mappingExists());
  HWND window = FindWindowA(kWindowClass, nullptr);
  EXPECT_NE(window, nullptr);
  PostMessageA(window, WM_QUIT, 0, 0);
  ASSERT_TRUE(nimbraProcess.waitForExit(5000ms));
  EXPECT_EQ(nimbraProcess.exitCode(), 0u);
}

TEST_F(SubstituteNimbra, WithoutWindowHoldsMappingAndPackUntilItsLifetimeEnds) {
  ChildProcess nimbraProcess(nimbra(), serve({"--no-window", "--hold", packPath(), "--lifetime-ms", "500"}));
  ASSERT_TRUE(eventually([&] { return ready(); }));
  EXPECT_EQ(FindWindowA(kWindowClass, nullptr), nullptr);
  EXPECT_TRUE(mappingExists());
  EXPECT_EQ(exclusiveOpenError(packPath()), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  ASSERT_TRUE(nimbraProcess.waitForExit(5000ms));
  EXPECT_EQ(nimbraProcess.exitCode(), 4u);
  EXPECT_EQ(exclusiveOpenError(packPath()), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_NE(log().find("\"event\":\"lifetime-expired\""), std::string::npos);
}

TEST_F(SubstituteNimbra, EndsWithCode2WhenThePackCannotBeHeld) {
  ChildProcess nimbraProcess(nimbra(), serve({"--hold", folder.path() + "missing.cok"}));
  ASSERT_TRUE(nimbraProcess.waitForExit(5000ms));
  EXPECT_EQ(nimbraProcess.exitCode(), 2u);
  EXPECT_EQ(events(log()), (std::vector<std::string>{"started", "hold-failed"}));
  EXPECT_FALSE(mappingExists());
}

TEST_F(SubstituteNimbra, OrdinaryStartRecordsCommandLineAndCurrentDirectoryNextToItself) {
  ASSERT_TRUE(CopyFileA(nimbra().c_str(), (folder.path() + "nimbra.exe").c_str(), FALSE));
  ScratchFolder elsewhere("nimbra-substitute-cwd");
  ChildProcess nimbraProcess(folder.path() + "nimbra.exe", {}, elsewhere.path());
  ASSERT_TRUE(nimbraProcess.waitForExit(5000ms));
  EXPECT_EQ(nimbraProcess.exitCode(), 0u);

  const std::string started = folder.read("nimbra-started.log");
  EXPECT_EQ(events(started), std::vector<std::string>{"started"});
  // The folder without its trailing backslash, as GetCurrentDirectory gives it.
  const std::string directory = elsewhere.path().substr(0, elsewhere.path().size() - 1);
  EXPECT_NE(started.find("\"cwd_hex\":\"" + hexBytes(directory) + "\""), std::string::npos) << started;
  EXPECT_NE(started.find("\"command_line_hex\":\"" + hexBytes(joinCommandLine(folder.path() + "nimbra.exe", {})) + "\""),
            std::string::npos)
      << started;
  EXPECT_FALSE(mappingExists());
}

TEST_F(SubstituteNimbra, EachOrdinaryStartAppendsOneLine) {
  ASSERT_TRUE(CopyFileA(nimbra().c_str(), (folder.path() + "nimbra.exe").c_str(), FALSE));
  for (int i = 0; i < 2; ++i) {
    ChildProcess nimbraProcess(folder.path() + "nimbra.exe", {"C:\\songs\\a.cok"});
    ASSERT_TRUE(nimbraProcess.waitForExit(5000ms));
  }
  EXPECT_EQ(events(folder.read("nimbra-started.log")).size(), 2u);
}

}  // namespace
}  // namespace nimbra::tools
