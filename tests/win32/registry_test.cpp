// The registry layer against a scratch key of the real (Wine) registry.
#include <gtest/gtest.h>

#include <string>

#include "platform/codes.h"
#include "platform/win32/win32_registry.h"
#include "test_support.h"

namespace nimbra::win32 {
namespace {

using platform::RegistryRoot;
using namespace std::string_literals;

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { path_ = testing::freshScratchKeyPath(HKEY_CURRENT_USER, 0); }

  void setRaw(const char* name, DWORD type, std::string_view bytes) {
    testing::setRawValue(HKEY_CURRENT_USER, path_, 0, name, type, bytes);
  }
  std::unique_ptr<platform::RegistryKey> open(std::uint32_t access = win::kKeyRead) {
    auto opened = registry_.openKey(RegistryRoot::CurrentUser, path_, access);
    EXPECT_EQ(opened.error, 0u);
    return std::move(opened.key);
  }

  Win32Registry registry_;
  std::string path_;
};

TEST_F(RegistryTest, OpeningAMissingKeyFailsWithFileNotFound) {
  const auto opened = registry_.openKey(RegistryRoot::CurrentUser, path_, win::kKeyRead);
  EXPECT_EQ(opened.key, nullptr);
  EXPECT_EQ(opened.error, win::kErrorFileNotFound);
}

TEST_F(RegistryTest, CreatingMakesTheMissingKeyAndEveryParent) {
  const auto created =
      registry_.createKey(RegistryRoot::CurrentUser, path_ + "\\a\\b", win::kKeyAllAccess);
  ASSERT_NE(created.key, nullptr);
  EXPECT_EQ(created.error, 0u);
  EXPECT_NE(registry_.openKey(RegistryRoot::CurrentUser, path_ + "\\a\\b", win::kKeyRead).key,
            nullptr);
}

TEST_F(RegistryTest, CreatingAnExistingKeyOpensItWithItsValues) {
  setRaw("Kept", REG_DWORD, "\x07\0\0\0"s);
  const auto created = registry_.createKey(RegistryRoot::CurrentUser, path_, win::kKeyAllAccess);
  ASSERT_NE(created.key, nullptr);
  const auto value = created.key->queryValue("Kept");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->data, "\x07\0\0\0"s);
}

TEST_F(RegistryTest, StringValueComesWithItsTerminatingNul) {
  setRaw("TheLastRunFolder", REG_SZ, "C:\\Program Files\\Nimbra\\\0"s);
  const auto value = open()->queryValue("TheLastRunFolder");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->type, win::kRegSz);
  EXPECT_EQ(value->data, "C:\\Program Files\\Nimbra\\\0"s);
}

TEST_F(RegistryTest, ExpandableStringComesUnexpanded) {
  setRaw("UninstallString", REG_EXPAND_SZ, "%ProgramFiles%\\Nimbra\\uninst.exe\0"s);
  const auto value = open()->queryValue("UninstallString");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->type, win::kRegExpandSz);
  EXPECT_EQ(value->data, "%ProgramFiles%\\Nimbra\\uninst.exe\0"s);
}

TEST_F(RegistryTest, BinaryValueComesByteForByteWithItsNuls) {
  const std::string bytes = "\0\x01\xFF\0\x80 \0"s;
  setRaw("Blob", REG_BINARY, bytes);
  const auto value = open()->queryValue("Blob");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->type, win::kRegBinary);
  EXPECT_EQ(value->data, bytes);
}

TEST_F(RegistryTest, EmptyBinaryValueExistsWithNoBytes) {
  setRaw("Empty", REG_BINARY, "");
  const auto value = open()->queryValue("Empty");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->type, win::kRegBinary);
  EXPECT_EQ(value->data, "");
}

TEST_F(RegistryTest, ValueAtTheLimitIsReadWholeAndOneBeyondItAsNothing) {
  std::string bytes(platform::kRegistryValueLimit, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
  setRaw("Large", REG_BINARY, bytes);
  setRaw("TooLarge", REG_SZ, std::string(300 * 1024, 'a') + '\0');
  const auto value = open()->queryValue("Large");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->data.size(), bytes.size());
  EXPECT_TRUE(value->data == bytes);
  EXPECT_FALSE(open()->queryValue("TooLarge"));
}

TEST_F(RegistryTest, MissingValueReadsAsNothing) {
  setRaw("Other", REG_SZ, "x\0"s);
  EXPECT_FALSE(open()->queryValue("LangFile"));
}

TEST_F(RegistryTest, ValueNamesIgnoreLetterCase) {
  setRaw("LangFile", REG_SZ, "russian.lng\0"s);
  const auto value = open()->queryValue("LANGFILE");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->data, "russian.lng\0"s);
}

TEST_F(RegistryTest, EmptyNameReadsTheDefaultValue) {
  setRaw("", REG_SZ, "default\0"s);
  const auto value = open()->queryValue("");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->data, "default\0"s);
}

TEST_F(RegistryTest, SetDwordStoresARegDwordOfFourLittleEndianBytes) {
  const auto created = registry_.createKey(RegistryRoot::CurrentUser, path_, win::kKeyAllAccess);
  ASSERT_NE(created.key, nullptr);
  EXPECT_EQ(created.key->setDword("EstimatedSize", 0x00010203u), 0u);

  UniqueKey raw;
  ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_READ, raw.put()),
            ERROR_SUCCESS);
  DWORD type = 0;
  unsigned char data[8] = {};
  DWORD size = sizeof data;
  ASSERT_EQ(::RegQueryValueExA(raw.get(), "EstimatedSize", nullptr, &type, data, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  ASSERT_EQ(size, 4u);
  EXPECT_EQ(data[0], 0x03);
  EXPECT_EQ(data[1], 0x02);
  EXPECT_EQ(data[2], 0x01);
  EXPECT_EQ(data[3], 0x00);
}

TEST_F(RegistryTest, SetDwordReplacesAValueOfAnotherType) {
  setRaw("EstimatedSize", REG_SZ, "12\0"s);
  auto key = open(win::kKeyQueryValue | win::kKeySetValue);
  ASSERT_EQ(key->setDword("EstimatedSize", 12), 0u);
  const auto value = key->queryValue("EstimatedSize");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->type, win::kRegDword);
  EXPECT_EQ(value->data, "\x0C\0\0\0"s);
}

TEST_F(RegistryTest, SetDwordThroughAReadOnlyKeyIsDenied) {
  setRaw("EstimatedSize", REG_DWORD, "\x01\0\0\0"s);
  auto key = open(win::kKeyRead);
  EXPECT_EQ(key->setDword("EstimatedSize", 2), win::kErrorAccessDenied);
  const auto value = key->queryValue("EstimatedSize");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->data, "\x01\0\0\0"s);
}

}  // namespace
}  // namespace nimbra::win32
