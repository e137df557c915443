// OpenProductKey on the real registry, after a real start-up in this process.
#include <windows.h>

#include <gtest/gtest.h>

#include "host/product_key.h"
#include "host/startup_settings.h"
#include "platform/win32/win32_platform.h"

namespace nimbra::win32 {
namespace {

constexpr const char* kProductKeyPath = "Software\\Tarvel\\Nimbra";

DWORD valueCount(HKEY root, const char* path) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return ~DWORD{0};
  DWORD values = 0;
  ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                     nullptr, nullptr);
  ::RegCloseKey(key);
  return values;
}

TEST(StartupProductKey, CreatesTheKeyUnderTheCurrentUser) {
  // Removed only when it holds nothing, so that no one's values are lost.
  if (valueCount(HKEY_CURRENT_USER, kProductKeyPath) == 0) ::RegDeleteKeyA(HKEY_CURRENT_USER, kProductKeyPath);
  const bool existedBefore = valueCount(HKEY_CURRENT_USER, kProductKeyPath) != ~DWORD{0};

  Win32Platform real;
  platform::Platform platform = real.platform();
  StartupState state;
  InitStartupSettings(platform, state, CommandLineArguments(platform.system.commandLine()));
  state.settings.productKey = "Nimbra";
  {
    auto productKey = OpenProductKey(*state.registry, state.settings);
    EXPECT_TRUE(state.registry->hasCurrentKey());
  }
  ReleaseStartupSettings(state);

  EXPECT_NE(valueCount(HKEY_CURRENT_USER, kProductKeyPath), ~DWORD{0});
  if (!existedBefore) {
    EXPECT_EQ(valueCount(HKEY_CURRENT_USER, kProductKeyPath), 0u);
  }
}

}  // namespace
}  // namespace nimbra::win32
