// The code page each "langcharset" number gives.
#include "lang/character_set.h"

#include <gtest/gtest.h>

#include "platform/box_text.h"

namespace nimbra {
namespace {

TEST(CharacterSet, EachWindowsCharacterSetGivesItsCodePage) {
  const struct {
    std::int32_t characterSet;
    std::uint32_t codePage;
  } table[] = {
      {204, 1251}, {238, 1250}, {161, 1253}, {162, 1254}, {177, 1255}, {178, 1256}, {186, 1257},
      {163, 1258}, {222, 874},  {128, 932},  {129, 949},  {134, 936},  {136, 950},
  };
  for (const auto& row : table) EXPECT_EQ(CodePageOfCharacterSet(row.characterSet), row.codePage) << row.characterSet;
}

TEST(CharacterSet, AnsiDefaultAndEveryOtherNumberGiveTheSystemCodePage) {
  // ANSI, DEFAULT, SYMBOL, MAC, JOHAB, OEM, the value before any selection, and nonsense.
  for (std::int32_t characterSet : {0, 1, 2, 77, 130, 255, 1251, -1, 204 + 256})
    EXPECT_EQ(CodePageOfCharacterSet(characterSet), platform::kSystemCodePage) << characterSet;
}

}  // namespace
}  // namespace nimbra
