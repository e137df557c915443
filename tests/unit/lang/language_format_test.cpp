#include "lang/language_format.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <vector>

namespace nimbra {
namespace {

TEST(BlankLine, IsMadeOfBytesUpTo0x20Only) {
  EXPECT_TRUE(IsBlankLine(""));
  EXPECT_TRUE(IsBlankLine(" \t \x1F"));
  EXPECT_TRUE(IsBlankLine(std::string_view("\0 \x01", 3)));
  EXPECT_FALSE(IsBlankLine("  .  "));
  // 0xA0 is a no-break space in Windows-1251, yet a text byte here.
  EXPECT_FALSE(IsBlankLine(" \xA0 "));
}

TEST(KeyLine, FoldsAsciiLettersOnlyAndIgnoresWhatFollowsTheBracket) {
  EXPECT_TRUE(IsKeyLine("[langver]", "langver"));
  EXPECT_TRUE(IsKeyLine("[LangVer] any note", "langver"));
  EXPECT_TRUE(IsKeyLine("[NoRight]", "noright"));
  EXPECT_TRUE(IsKeyLine("[progdescr0]", "ProgDescr0"));
  EXPECT_TRUE(IsKeyLine("[]", ""));
  // Cyrillic letters are not folded: А (0xC0) and а (0xE0) differ.
  EXPECT_TRUE(IsKeyLine("[\xC0]", "\xC0"));
  EXPECT_FALSE(IsKeyLine("[\xC0]", "\xE0"));
}

TEST(KeyLine, NeedsTheBracketFirstAndTheWholeKeyClosed) {
  EXPECT_FALSE(IsKeyLine(" [langver]", "langver"));
  EXPECT_FALSE(IsKeyLine("\t[langver]", "langver"));
  EXPECT_FALSE(IsKeyLine("[langver", "langver"));
  EXPECT_FALSE(IsKeyLine("[langver ]", "langver"));
  EXPECT_FALSE(IsKeyLine("[langversion]", "langver"));
  EXPECT_FALSE(IsKeyLine("[lang]", "langver"));
  EXPECT_FALSE(IsKeyLine("langver]", "langver"));
  EXPECT_FALSE(IsKeyLine("", ""));
}

TEST(LanguageInteger, AcceptsSpacesSignDecimalAndHexadecimal) {
  EXPECT_EQ(ParseLanguageInteger("1049"), 1049);
  EXPECT_EQ(ParseLanguageInteger("   1049"), 1049);
  EXPECT_EQ(ParseLanguageInteger("+5"), 5);
  EXPECT_EQ(ParseLanguageInteger("-5"), -5);
  EXPECT_EQ(ParseLanguageInteger("007"), 7);
  EXPECT_EQ(ParseLanguageInteger("$41A"), 1050);
  EXPECT_EQ(ParseLanguageInteger("$41a"), 1050);
  EXPECT_EQ(ParseLanguageInteger("0x41A"), 1050);
  EXPECT_EQ(ParseLanguageInteger("0X41a"), 1050);
  EXPECT_EQ(ParseLanguageInteger("-$10"), -16);
  EXPECT_EQ(ParseLanguageInteger("0"), 0);
}

TEST(LanguageInteger, RefusesAnythingAfterTheDigitsAndEmptyValues) {
  for (std::string_view text : {"1049 ", "", " ", "+", "-", "$", "0x", "12a", "1 2", "\t5", "5\t", "0x 5", "$-5",
                                "+-5", "41A", "1.5", "1,5", "\xB9"})
    EXPECT_EQ(ParseLanguageInteger(text), std::nullopt) << '"' << text << '"';
}

TEST(LanguageInteger, IsThirtyTwoBitSigned) {
  EXPECT_EQ(ParseLanguageInteger("2147483647"), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(ParseLanguageInteger("-2147483648"), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(ParseLanguageInteger("$7FFFFFFF"), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(ParseLanguageInteger("-$80000000"), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(ParseLanguageInteger("2147483648"), std::nullopt);
  EXPECT_EQ(ParseLanguageInteger("-2147483649"), std::nullopt);
  EXPECT_EQ(ParseLanguageInteger("$80000000"), std::nullopt);
  EXPECT_EQ(ParseLanguageInteger("99999999999999999999999"), std::nullopt);
  EXPECT_EQ(ParseLanguageInteger("0000000000000000000001"), 1);
}

std::string substitute(std::string text, std::vector<std::string_view> arguments) {
  return SubstitutePlaceholders(std::move(text), arguments);
}

TEST(Placeholders, StandInAnyOrderAndEveryOccurrenceIsReplaced) {
  EXPECT_EQ(substitute("Install %2 into %1? (%2)", {"C:\\N", "crickets"}), "Install crickets into C:\\N? (crickets)");
  EXPECT_EQ(substitute("%1%2%3%4", {"a", "b", "c", "d"}), "abcd");
}

TEST(Placeholders, StopAtTheFirstMissingPlaceholder) {
  EXPECT_EQ(substitute("only %2 here", {"a", "b"}), "only %2 here");
  EXPECT_EQ(substitute("%1 and %3", {"a", "b", "c"}), "a and %3");
  EXPECT_EQ(substitute("%1 %2 %4", {"a", "b", "c", "d"}), "a b %4");
}

TEST(Placeholders, WorkOnTheTextAsAlreadySubstituted) {
  EXPECT_EQ(substitute("%1", {"<%2>", "two"}), "<two>");
  // A replacement is not searched again for the placeholder it replaced.
  EXPECT_EQ(substitute("%1!", {"%1%1"}), "%1%1!");
  EXPECT_EQ(substitute("%10", {"x"}), "x0");
}

TEST(Placeholders, OtherPercentSignsStay) {
  EXPECT_EQ(substitute("100%% of %1, %5 %a %", {"it"}), "100%% of it, %5 %a %");
  EXPECT_EQ(substitute("%%1", {"x"}), "%x");
}

TEST(Placeholders, WithoutAnArgumentThePlaceholderStaysAndSubstitutionStops) {
  EXPECT_EQ(substitute("%1 then %2 then %3", {"a"}), "a then %2 then %3");
  EXPECT_EQ(substitute("%1", {}), "%1");
  // The first argument may bring %2 along; with no second argument it stays too.
  EXPECT_EQ(substitute("%1", {"%2"}), "%2");
}

TEST(Placeholders, EveryByteKeepsTheCodePageOfTheTextOrArgumentItCameFrom) {
  using platform::BoxText;
  using platform::TextPiece;
  constexpr std::uint32_t kUtf8 = 65001;
  // The first argument brings a "%2" along, and a "%" that the text's "2"
  // completes: the bytes of a placeholder leave whatever piece they were in.
  const std::vector<BoxText> arguments{BoxText("C:\\Caf\xE9 %2 %", platform::kSystemCodePage),
                                       BoxText("\xC3\xA9", kUtf8)};
  const BoxText result = SubstitutePlaceholders(BoxText("\xCD\xE5 %12 (%2)", platform::kCyrillicCodePage), arguments);
  EXPECT_EQ(result.bytes(), substitute("\xCD\xE5 %12 (%2)", {"C:\\Caf\xE9 %2 %", "\xC3\xA9"}));
  EXPECT_EQ(result.pieces(), (std::vector<TextPiece>{{"\xCD\xE5 ", 1251},
                                                     {"C:\\Caf\xE9 ", platform::kSystemCodePage},
                                                     {"\xC3\xA9", kUtf8},
                                                     {" ", platform::kSystemCodePage},
                                                     {"\xC3\xA9", kUtf8},
                                                     {" (", 1251},
                                                     {"\xC3\xA9", kUtf8},
                                                     {")", 1251}}));
}

// 32,768 copies of "%2" with a long second argument would be gigabytes; the
// result keeps the first kTextLimit bytes, and a text that fits is untouched.
TEST(Placeholders, TheResultIsCutAtTheTextLimit) {
  std::string many;
  for (int i = 0; i < 32768; ++i) many += "%2";
  const std::string longArgument(100000, 'x');
  std::string result = substitute("%1" + many, {"", longArgument});
  EXPECT_EQ(result.size(), kTextLimit);
  EXPECT_EQ(result.find_first_not_of('x'), std::string::npos);
  EXPECT_EQ(substitute(std::string(kTextLimit - 3, 'a') + "%1", {"bcd"}).size(), kTextLimit);
  EXPECT_EQ(substitute(std::string(kTextLimit - 4, 'a') + "%1", {"bcd"}), std::string(kTextLimit - 4, 'a') + "bcd");
}

TEST(TextLines, AreCutAtCrLfOnly) {
  using Views = std::vector<std::string_view>;
  EXPECT_EQ(SplitTextLines(""), Views{});
  EXPECT_EQ(SplitTextLines("1049"), Views{"1049"});
  EXPECT_EQ(SplitTextLines("1049\r\n1058"), (Views{"1049", "1058"}));
  EXPECT_EQ(SplitTextLines("a\nb\r\n"), (Views{"a\nb", ""}));
}

}  // namespace
}  // namespace nimbra
