// The usage box of the help words.
#include "update/usage.h"

#include <gtest/gtest.h>

#include "fake/fake_world.h"
#include "platform/codes.h"

namespace nimbra {
namespace {

TEST(Usage, EnglishIsOneInformationBoxWithTheWordsAndEveryExitCode) {
  fake::FakeMessageBoxes boxes;
  ShowUsage(boxes, InstallerConfiguration{}, /*cyrillicUi=*/false);
  ASSERT_EQ(boxes.shown.size(), 1u);
  const fake::BoxRecord& box = boxes.shown[0];
  EXPECT_EQ(box.function, fake::BoxRecord::Function::MessageBoxW);
  EXPECT_EQ(box.style, win::kInformationBoxStyle);
  EXPECT_EQ(box.caption, "Nimbra update");
  EXPECT_TRUE(box.text.starts_with("Installs the sound pack dwix.cok (crickets 6) into Nimbra's folder."));
  for (const char* word : {"modest", "runapp", "quiet", "log=PATH", ".log or .txt", "--help", "\r\n0 - ",
                           "\r\n1602 - ", "\r\n1603 - ", "\r\n1605 - ", "\r\n1618 - ", "\r\n1620 - ", "\r\n3010 - ", "\r\n740 - "})
    EXPECT_NE(box.text.find(word), std::string::npos) << word;
}

TEST(Usage, UnderTheCyrillicUiFlagItIsRussianInWindows1251) {
  fake::FakeMessageBoxes boxes;
  ShowUsage(boxes, InstallerConfiguration{}, /*cyrillicUi=*/true);
  ASSERT_EQ(boxes.shown.size(), 1u);
  const fake::BoxRecord& box = boxes.shown[0];
  EXPECT_EQ(box.function, fake::BoxRecord::Function::MessageBoxExW);
  EXPECT_EQ(box.language, win::kLangRussian);
  // "Устанавливает" in Windows-1251.
  EXPECT_TRUE(box.text.starts_with("\xD3\xF1\xF2\xE0\xED\xE0\xE2\xEB\xE8\xE2\xE0\xE5\xF2 "));
  EXPECT_NE(box.text.find("\r\n1618 - "), std::string::npos);
  EXPECT_EQ(box.caption[0], '\xCE');  // "О" of the Russian program title
}

}  // namespace
}  // namespace nimbra
