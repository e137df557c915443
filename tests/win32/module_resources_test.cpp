// The executable's own resources: found by name and type in any letter case,
// and handed out as a view into the loaded image.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "platform/win32/win32_module_resources.h"

namespace nimbra::win32 {
namespace {

// fixtures/test_pack.bin, linked in by test_resources.rc.
std::string expectedPack() {
  std::string bytes = "dwix&";
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  return bytes + "end";
}

std::string textOf(std::span<const std::byte> view) {
  return std::string(reinterpret_cast<const char*>(view.data()), view.size());
}

TEST(ModuleResources, PackIsFoundByItsNameAndTypeInAnyLetterCase) {
  Win32ModuleResources resources;
  for (const auto& [name, type] : {std::pair{"DWIX", "COK"}, std::pair{"dwix", "cok"},
                                   std::pair{"Dwix", "cOk"}}) {
    SCOPED_TRACE(std::string(name) + "/" + type);
    const auto found = resources.find(name, type);
    ASSERT_TRUE(found);
    EXPECT_EQ(textOf(*found), expectedPack());
  }
}

TEST(ModuleResources, ViewPointsIntoTheLoadedImage) {
  Win32ModuleResources resources;
  const auto found = resources.find("dwix", "cok");
  ASSERT_TRUE(found);
  const auto* image = reinterpret_cast<const std::byte*>(::GetModuleHandleA(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
  const std::byte* imageEnd = image + nt->OptionalHeader.SizeOfImage;
  EXPECT_GE(found->data(), image);
  EXPECT_LE(found->data() + found->size(), imageEnd);
  // A second lookup gives the very same bytes, not a copy.
  EXPECT_EQ(resources.find("DWIX", "COK")->data(), found->data());
}

TEST(ModuleResources, UnknownNameOrTypeIsNotFound) {
  Win32ModuleResources resources;
  EXPECT_FALSE(resources.find("DWIX", "WAV"));
  EXPECT_FALSE(resources.find("CRICKETS", "COK"));
}

}  // namespace
}  // namespace nimbra::win32
