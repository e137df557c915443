// The registry access test of FindInstallLocations under Wine: a per-user
// "Startup" shell folder stored as REG_BINARY brings up the real "No access to
// system registry" box, read by the box robot. ctest runs this suite in an
// English and in a Russian locale (LC_ALL), which decides the box's language.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "host/install_location.h"
#include "host/startup_settings.h"
#include "platform/codes.h"
#include "platform/win32/handles.h"
#include "platform/win32/win32_platform.h"
#include "test_support.h"
#include "box_robot.h"

namespace nimbra::win32 {
namespace {

bool russianLocale() {
  const char* locale = std::getenv("LC_ALL");
  return locale != nullptr && std::string(locale).rfind("ru_RU", 0) == 0;
}

// Points HKEY_CURRENT_USER of this process at a scratch key for the life of
// the object, so that the prefix's own shell folders stay untouched.
class CurrentUserOverride {
 public:
  explicit CurrentUserOverride(const std::string& scratchPath) {
    EXPECT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, scratchPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_ALL_ACCESS, nullptr, key_.put(), nullptr),
              ERROR_SUCCESS);
    active_ = ::RegOverridePredefKey(HKEY_CURRENT_USER, key_.get()) == ERROR_SUCCESS;
  }
  ~CurrentUserOverride() {
    if (active_) ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  }
  CurrentUserOverride(const CurrentUserOverride&) = delete;
  CurrentUserOverride& operator=(const CurrentUserOverride&) = delete;

  bool active() const { return active_; }

 private:
  UniqueKey key_;
  bool active_ = false;
};

constexpr const char* kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

TEST(LocationLocale, BinaryStartupShellFolderShowsNoAccessToSystemRegistryInTheUsersLanguage) {
  const std::string scratch = testing::freshScratchKeyPath(HKEY_CURRENT_USER, 0);
  testing::setRawValue(HKEY_CURRENT_USER, scratch + "\\" + kShellFolders, 0, "Programs", REG_SZ, "C:\\P");
  testing::setRawValue(HKEY_CURRENT_USER, scratch + "\\" + kShellFolders, 0, "Desktop", REG_SZ, "C:\\D");
  testing::setRawValue(HKEY_CURRENT_USER, scratch + "\\" + kShellFolders, 0, "Startup", REG_BINARY, "C:\\S");

  Win32Platform real;
  platform::Platform platform = real.platform();
  Settings settings;
  settings.productKey = "NimbraTest.LocationLocale";
  settings.programTitle = "Обновление программы \"Нимбра\"";
  settings.englishTitle = "Nimbra update";
  settings.userLcid = platform.system.userDefaultLcid();
  settings.cyrillicUi = IsCyrillicUiLcid(settings.userLcid);
  ASSERT_EQ(settings.cyrillicUi, russianLocale());
  SharedRegistry registry(platform.registry, win::kKeyAllAccess | win::kKeyWow64_64Key);

  std::vector<tools::BoxRecord> boxes;
  bool found = true;
  {
    CurrentUserOverride override(scratch);
    ASSERT_TRUE(override.active());
    tools::BackgroundRobot robot(::GetCurrentProcessId(), {tools::Answer::Ok});
    found = FindInstallLocations(platform, settings, registry);
    boxes = robot.stop();
  }
  EXPECT_FALSE(found);
  EXPECT_FALSE(registry.hasCurrentKey());
  EXPECT_EQ(settings.installationFolder, "");
  ASSERT_EQ(boxes.size(), 1u);
  const tools::BoxView& box = boxes[0].box;
  ASSERT_EQ(box.buttons.size(), 1u);
  EXPECT_EQ(box.buttons[0].id, IDOK);
  EXPECT_EQ(boxes[0].pressed, tools::Answer::Ok);
  if (russianLocale()) {
    // Windows-1251 bytes through the ANSI functions, and the same text as shown.
    EXPECT_EQ(box.caption, "\xCE\xE1\xED\xEE\xE2\xEB\xE5\xED\xE8\xE5 \xEF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xFB "
                           "\"\xCD\xE8\xEC\xE1\xF0\xE0\"");
    EXPECT_EQ(box.wideCaption, L"Обновление программы \"Нимбра\"");
    EXPECT_EQ(box.text, "\xCD\xE5\xF2 \xE4\xEE\xF1\xF2\xF3\xEF\xE0 \xEA \xF1\xE8\xF1\xF2\xE5\xEC\xED\xEE\xEC\xF3 "
                        "\xF0\xE5\xE5\xF1\xF2\xF0\xF3");
    EXPECT_EQ(box.wideText, L"Нет доступа к системному реестру");
  } else {
    EXPECT_EQ(box.caption, "Nimbra update");
    EXPECT_EQ(box.text, "No access to system registry");
    EXPECT_EQ(box.wideText, L"No access to system registry");
  }
  // The prefix's own shell folders were never touched.
  UniqueKey own;
  ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, KEY_READ, own.put()), ERROR_SUCCESS);
  DWORD type = 0;
  ASSERT_EQ(::RegQueryValueExA(own.get(), "Startup", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
}

}  // namespace
}  // namespace nimbra::win32
