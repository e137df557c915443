// The 32-bit and 64-bit registry views of a 32-bit process on 64-bit Windows
// (WoW64): HKLM\Software is redirected to WOW6432Node unless KEY_WOW64_64KEY is
// given; HKCU\Software is one key in both views.
#include <gtest/gtest.h>

#include <string>

#include "platform/codes.h"
#include "platform/win32/win32_registry.h"
#include "test_support.h"

namespace nimbra::win32 {
namespace {

using platform::RegistryRoot;
using namespace std::string_literals;

constexpr std::uint32_t k64 = win::kKeyWow64_64Key;
constexpr std::uint32_t k32 = win::kKeyWow64_32Key;

class RegistryViewsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = testing::freshScratchKeyPath(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY);
    EXPECT_EQ(testing::freshScratchKeyPath(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY), path_);
    redirected_ = "Software\\WOW6432Node" + path_.substr(std::string("Software").size());
  }

  std::optional<platform::RegistryValue> read(RegistryRoot root, const std::string& path,
                                              std::uint32_t view, const char* name) {
    const auto opened = registry_.openKey(root, path, win::kKeyRead | view);
    if (!opened.key) return std::nullopt;
    return opened.key->queryValue(name);
  }

  // The value's bytes, or a marker that no bytes can equal, so that a missing
  // value fails the comparison instead of being dereferenced.
  std::string dataOf(RegistryRoot root, const std::string& path, std::uint32_t view,
                     const char* name) {
    const auto value = read(root, path, view, name);
    return value ? value->data : "<absent>";
  }

  Win32Registry registry_;
  std::string path_;        // Software\Tarvel\NimbraTests\<test>
  std::string redirected_;  // the same below Software\WOW6432Node
};

TEST_F(RegistryViewsTest, KeyWrittenInThe64BitViewIsAbsentFromThe32BitView) {
  const auto created = registry_.createKey(RegistryRoot::LocalMachine, path_, win::kKeyAllAccess | k64);
  ASSERT_NE(created.key, nullptr);
  ASSERT_EQ(created.key->setDword("EstimatedSize", 4096), 0u);

  EXPECT_EQ(dataOf(RegistryRoot::LocalMachine, path_, k64, "EstimatedSize"), "\0\x10\0\0"s);
  EXPECT_EQ(registry_.openKey(RegistryRoot::LocalMachine, path_, win::kKeyRead).error,
            win::kErrorFileNotFound);
  EXPECT_EQ(registry_.openKey(RegistryRoot::LocalMachine, redirected_, win::kKeyRead | k64).error,
            win::kErrorFileNotFound);
}

TEST_F(RegistryViewsTest, KeyWrittenWithoutTheFlagLandsBelowWow6432Node) {
  const auto created = registry_.createKey(RegistryRoot::LocalMachine, path_, win::kKeyAllAccess);
  ASSERT_NE(created.key, nullptr);
  ASSERT_EQ(created.key->setDword("EstimatedSize", 1), 0u);

  EXPECT_EQ(dataOf(RegistryRoot::LocalMachine, redirected_, k64, "EstimatedSize"),
            "\x01\0\0\0"s);
  EXPECT_EQ(registry_.openKey(RegistryRoot::LocalMachine, path_, win::kKeyRead | k64).error,
            win::kErrorFileNotFound);
}

TEST_F(RegistryViewsTest, The32BitFlagSelectsTheSameViewAsNoFlag) {
  ASSERT_EQ(registry_.createKey(RegistryRoot::LocalMachine, path_, win::kKeyAllAccess | k32)
                .key->setDword("V", 32),
            0u);
  EXPECT_EQ(dataOf(RegistryRoot::LocalMachine, path_, 0, "V"), "\x20\0\0\0"s);
  EXPECT_FALSE(read(RegistryRoot::LocalMachine, path_, k64, "V"));
}

// Each view gets its own values, so that a read from the wrong view shows.
struct ViewValues {
  std::string text, expandable, binary, dword;
};
ViewValues valuesFor(char tag) {
  return {"C:\\Program Files"s + tag + "\\Nimbra\\\0"s,
          "%SystemDrive%\\Nimbra"s + tag + "\\uninst.exe\0"s, "\xDE\xAD\0"s + tag + "\xEF",
          std::string{tag, 0, 0, 0}};
}

TEST_F(RegistryViewsTest, EveryValueTypeReadsUnchangedFromEachView) {
  const std::pair<REGSAM, char> views[] = {{KEY_WOW64_64KEY, '6'}, {0, '3'}};
  for (const auto& [view, tag] : views) {
    const ViewValues values = valuesFor(tag);
    testing::setRawValue(HKEY_LOCAL_MACHINE, path_, view, "Sz", REG_SZ, values.text);
    testing::setRawValue(HKEY_LOCAL_MACHINE, path_, view, "ExpandSz", REG_EXPAND_SZ,
                         values.expandable);
    testing::setRawValue(HKEY_LOCAL_MACHINE, path_, view, "Binary", REG_BINARY, values.binary);
    testing::setRawValue(HKEY_LOCAL_MACHINE, path_, view, "Dword", REG_DWORD, values.dword);
  }
  for (const auto& [view, tag] : views) {
    SCOPED_TRACE(tag);
    const ViewValues values = valuesFor(tag);
    const auto key =
        registry_.openKey(RegistryRoot::LocalMachine, path_, win::kKeyRead | view).key;
    ASSERT_NE(key, nullptr);
    const auto expectValue = [&key](const char* name, std::uint32_t type, const std::string& data) {
      const auto value = key->queryValue(name);
      ASSERT_TRUE(value) << name;
      EXPECT_EQ(value->type, type) << name;
      EXPECT_EQ(value->data, data) << name;
    };
    expectValue("Sz", win::kRegSz, values.text);
    expectValue("ExpandSz", win::kRegExpandSz, values.expandable);
    expectValue("Binary", win::kRegBinary, values.binary);
    expectValue("Dword", win::kRegDword, values.dword);
  }
}

TEST_F(RegistryViewsTest, PerUserSoftwareKeyIsOneKeyInBothViews) {
  const std::string userPath = testing::freshScratchKeyPath(HKEY_CURRENT_USER, 0);
  ASSERT_EQ(registry_.createKey(RegistryRoot::CurrentUser, userPath, win::kKeyAllAccess)
                .key->setDword("V", 5),
            0u);
  EXPECT_EQ(dataOf(RegistryRoot::CurrentUser, userPath, k64, "V"), "\x05\0\0\0"s);
}

}  // namespace
}  // namespace nimbra::win32
