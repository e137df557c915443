// Start-up in a real process under Wine's Windows versions: the name that
// identification builds, the 64-bit flag, the view the shared registry object
// then reads, and the "ver" child. The figures are printed.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>

#include "platform/win32/handles.h"
#include "test_support.h"

namespace nimbra::win32 {
namespace {

using Report = std::map<std::string, std::string>;

Report parseReport(const std::string& text) {
  Report report;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    auto equals = line.find('=');
    if (equals == std::string::npos) continue;
    std::string key = line.substr(0, equals);
    std::string value = line.substr(equals + 1);
    // Several children are several lines; keep them all, one per line.
    if (report.contains(key)) report[key] += "\n" + value;
    else report[key] = value;
  }
  return report;
}

// ProductName of the 64-bit view, as the system holds it; empty when absent.
std::string nativeProductName() {
  char value[512] = {};
  DWORD size = sizeof value;
  if (::RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "ProductName",
                     RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY, nullptr, value, &size) != ERROR_SUCCESS)
    return {};
  return value;
}

bool folderIsEmpty(const std::string& folder) {
  WIN32_FIND_DATAA found{};
  const UniqueFind find(::FindFirstFileA((folder + "*").c_str(), &found));
  if (!find) return true;
  do {
    std::string name = found.cFileName;
    if (name != "." && name != "..") return false;
  } while (::FindNextFileA(find.get(), &found));
  return true;
}

std::string probePath() {
  std::string own = testing::ownExecutablePath();
  return own.substr(0, own.rfind('\\') + 1) + "startup-probe.exe";
}

// Sets an environment variable of this process (which the probe inherits) for
// the life of the object, and puts the old value back afterwards.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    char old[4096];
    DWORD length = ::GetEnvironmentVariableA(name, old, sizeof old);
    had_ = length > 0 && length < sizeof old;
    if (had_) old_ = old;
    ::SetEnvironmentVariableA(name, value);
  }
  ~ScopedVariable() { ::SetEnvironmentVariableA(name_.c_str(), had_ ? old_.c_str() : nullptr); }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  std::string name_;
  std::string old_;
  bool had_ = false;
};

class StartupUnderVersionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = testing::freshScratchFolder();
    temp_ = folder_ + "temp\\";
    ASSERT_TRUE(::CreateDirectoryA(temp_.c_str(), nullptr));
    // The same key in both views, with a value that tells them apart.
    viewKey_ = testing::freshScratchKeyPath(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY);
    testing::freshScratchKeyPath(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY);
    testing::setRawValue(HKEY_LOCAL_MACHINE, viewKey_, KEY_WOW64_64KEY, "View", REG_SZ, std::string("64\0", 3));
    testing::setRawValue(HKEY_LOCAL_MACHINE, viewKey_, KEY_WOW64_32KEY, "View", REG_SZ, std::string("32\0", 3));
  }

  void TearDown() override {
    if (!appDefaults_.empty()) ::RegDeleteTreeA(HKEY_CURRENT_USER, appDefaults_.c_str());
    ::RegDeleteKeyExA(HKEY_LOCAL_MACHINE, viewKey_.c_str(), KEY_WOW64_64KEY, 0);
    ::RegDeleteKeyExA(HKEY_LOCAL_MACHINE, viewKey_.c_str(), KEY_WOW64_32KEY, 0);
  }

  // Runs the probe under `version` ("" for the prefix's default) with Temp in
  // the scratch folder; the whole run's wall time goes to wallMs.
  Report runProbe(const std::string& version) {
    // A name of its own: no other test's probe sees this version.
    std::string exeName = std::string("startup-probe-") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    exeName += ".exe";
    std::string exe = folder_ + exeName;
    EXPECT_TRUE(::CopyFileA(probePath().c_str(), exe.c_str(), FALSE)) << probePath();
    if (!version.empty()) {
      appDefaults_ = "Software\\Wine\\AppDefaults\\" + exeName;
      testing::setRawValue(HKEY_CURRENT_USER, appDefaults_, 0, "Version", REG_SZ, version + '\0');
    }
    ScopedVariable temp("TEMP", temp_.c_str());
    ScopedVariable tmp("TMP", temp_.c_str());
    std::string reportPath = folder_ + "report.txt";
    auto started = std::chrono::steady_clock::now();
    int exitCode = testing::runAndWait(testing::inQuotes(exe) + " " + testing::inQuotes(reportPath) + " " +
                                       testing::inQuotes(viewKey_));
    wallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
    EXPECT_EQ(exitCode, 0);
    return parseReport(testing::readWholeFile(reportPath));
  }

  void printFigures(const char* label, const Report& report) {
    std::printf("[figure] %-22s start-up %7.1f ms (identification alone %7.1f ms), probe process %7.1f ms, "
                "children %s, is64Bit %s, name \"%s\"\n",
                label, std::stod(report.at("startupUs")) / 1000, std::stod(report.at("identifyUs")) / 1000, wallMs,
                report.at("children").c_str(), report.at("is64Bit").c_str(), report.at("name").c_str());
  }

  std::string folder_;
  std::string temp_;
  std::string viewKey_;
  std::string appDefaults_;
  double wallMs = 0;
};

TEST_F(StartupUnderVersionTest, DefaultWindows7IsNamed64BitAndReadsThe64BitView) {
  Report report = runProbe("");
  printFigures("default (6.1)", report);
  std::string productName = nativeProductName();
  ASSERT_FALSE(productName.empty());
  EXPECT_EQ(report["name"], productName + " 64-bit Service Pack 1");
  EXPECT_EQ(report["is64Bit"], "1");
  EXPECT_EQ(report["accessMask"], "0xF013F");
  EXPECT_EQ(report["view"], "64");
  EXPECT_EQ(report["children"], "0");
}

TEST_F(StartupUnderVersionTest, WindowsXpIsNamedWithoutSixtyFourAndReadsThe32BitView) {
  Report report = runProbe("winxp");
  printFigures("winxp (5.1)", report);
  EXPECT_EQ(report["name"], "Microsoft Windows XP Professional Service Pack 3");
  EXPECT_EQ(report["is64Bit"], "0");
  EXPECT_EQ(report["accessMask"], "0xF003F");
  EXPECT_EQ(report["view"], "32");
  EXPECT_EQ(report["children"], "0");
}

TEST_F(StartupUnderVersionTest, WindowsServer2003X64IsNamedWithoutSixtyFourAndReadsThe32BitView) {
  Report report = runProbe("win2003");
  printFigures("win2003 (5.2)", report);
  EXPECT_EQ(report["name"], "Microsoft Windows Server 2003 Standard x64 Service Pack 2");
  EXPECT_EQ(report["is64Bit"], "0");
  EXPECT_EQ(report["accessMask"], "0xF003F");
  EXPECT_EQ(report["view"], "32");
}

TEST_F(StartupUnderVersionTest, VistaIsNamed64BitAndReadsThe64BitView) {
  Report report = runProbe("vista");
  printFigures("vista (6.0)", report);
  EXPECT_EQ(report["name"], nativeProductName() + " 64-bit Service Pack 2");
  EXPECT_EQ(report["is64Bit"], "1");
  EXPECT_EQ(report["view"], "64");
  EXPECT_EQ(report["children"], "0");
}

// Windows 10 reports 6.2; its "ProductName" replaces the whole name, so "ver"
// could not change it and is not run.
TEST_F(StartupUnderVersionTest, Windows10TakesProductNameWithoutAnyChild) {
  Report report = runProbe("win10");
  printFigures("win10 (6.2)", report);
  EXPECT_EQ(report["name"], nativeProductName() + " 64-bit");
  EXPECT_EQ(report["is64Bit"], "1");
  EXPECT_EQ(report["view"], "64");
  EXPECT_EQ(report["children"], "0");
  EXPECT_TRUE(folderIsEmpty(temp_));
}

// ComSpec is the user's to set; the interpreter comes from the system
// directory all the same, its output through a pipe, not the Temp folder.
TEST_F(StartupUnderVersionTest, VerIgnoresComSpecAndTemp) {
  ScopedVariable planted("ComSpec", (folder_ + "planted.exe").c_str());
  Report report = runProbe("win10");
  EXPECT_NE(report["ver"].find("\\r\\nMicrosoft Windows"), std::string::npos) << report["ver"];
  EXPECT_TRUE(folderIsEmpty(temp_));
}

}  // namespace
}  // namespace nimbra::win32
