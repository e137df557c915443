#include "json_line.h"

#include <gtest/gtest.h>

namespace nimbra::tools {
namespace {

TEST(JsonLine, AsciiTextStaysReadable) {
  EXPECT_EQ(jsonString(std::string_view("Nimbra update")), "\"Nimbra update\"");
}

TEST(JsonLine, QuotesBackslashesAndLineEndsAreEscaped) {
  EXPECT_EQ(jsonString(std::string_view("a\"b\\c\r\nd\te")), R"("a\"b\\c\r\nd\te")");
}

TEST(JsonLine, BytesOutsidePrintableAsciiBecomeUnicodeEscapes) {
  EXPECT_EQ(jsonString(std::string_view("\x01\x7F\xE9", 3)), R"("\u0001\u007f\u00e9")");
}

TEST(JsonLine, WideTextIsEscapedToAsciiCodeUnitByCodeUnit) {
  // "&Да" as a box shows it, and a character outside the BMP as its surrogates.
  EXPECT_EQ(jsonString(std::wstring_view(L"&\u0414\u0430")), R"("&\u0414\u0430")");
  EXPECT_EQ(jsonString(std::wstring_view(L"\xD83D\xDE00")), R"("\ud83d\ude00")");
}

TEST(JsonLine, HexGivesTwoLowerCaseDigitsPerByte) {
  // Windows-1251 "Да" followed by CR LF and a zero byte.
  EXPECT_EQ(hexBytes(std::string_view("\xC4\xE0\r\n\0", 5)), "c4e00d0a00");
  EXPECT_EQ(hexBytes(""), "");
}

TEST(JsonLine, FieldsKeepTheOrderOfTheCalls) {
  const std::string line = JsonLine()
                               .ascii("event", "box")
                               .number("index", -3)
                               .boolean("ok", false)
                               .null("script")
                               .hex("caption_hex", "\xFF")
                               .text("caption", L"\u00FF")
                               .raw("buttons", "[]")
                               .str();
  EXPECT_EQ(line,
            R"({"event":"box","index":-3,"ok":false,"script":null,"caption_hex":"ff","caption":"\u00ff","buttons":[]})");
}

TEST(JsonLine, EmptyObjectIsBraces) { EXPECT_EQ(JsonLine().str(), "{}"); }

}  // namespace
}  // namespace nimbra::tools
