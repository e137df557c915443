// Box texts keep their bytes exactly and each byte's code page.
#include "platform/box_text.h"

#include <gtest/gtest.h>

namespace nimbra::platform {
namespace {

constexpr std::uint32_t kUtf8 = 65001;

TEST(BoxText, JoinsTheBytesAndKeepsOnePiecePerRunOfOneCodePage) {
  BoxText text = BoxText("\xCD\xE5 ", kCyrillicCodePage) + BoxText("C:\\Caf\xE9\\", kSystemCodePage) +
                 BoxText("dwix.cok", kSystemCodePage) + BoxText("", kUtf8) + BoxText(".", kCyrillicCodePage);
  EXPECT_EQ(text.bytes(), "\xCD\xE5 C:\\Caf\xE9\\dwix.cok.");
  EXPECT_EQ(text.pieces(), (std::vector<TextPiece>{{"\xCD\xE5 ", kCyrillicCodePage},
                                                   {"C:\\Caf\xE9\\dwix.cok", kSystemCodePage},
                                                   {".", kCyrillicCodePage}}));
  EXPECT_TRUE(BoxText().pieces().empty());
  EXPECT_TRUE(BoxText("", kUtf8).empty());
}

TEST(BoxText, PartOfATextCarriesTheCodePagesItSpans) {
  const BoxText source = BoxText("abc", kCyrillicCodePage) + BoxText("def", kUtf8) + BoxText("ghi", 1250);
  BoxText part;
  part.append(source, 2, 5);
  EXPECT_EQ(part.pieces(), (std::vector<TextPiece>{{"c", kCyrillicCodePage}, {"def", kUtf8}, {"g", 1250}}));
  // A range past the end is cut at the end; one starting there adds nothing.
  EXPECT_EQ(BoxText().append(source, 7, 100).pieces(), (std::vector<TextPiece>{{"hi", 1250}}));
  EXPECT_TRUE(BoxText().append(source, 9, 1).empty());
  // A text appended to itself doubles.
  BoxText twice = source;
  twice.append(twice);
  EXPECT_EQ(twice.bytes(), "abcdefghiabcdefghi");
  EXPECT_EQ(twice.pieces().size(), 6u);
}

}  // namespace
}  // namespace nimbra::platform
