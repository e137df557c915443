// What depends on the user's locale, which Wine takes from LC_ALL of the Unix
// environment that starts it: ctest runs this suite once with en_US.UTF-8 and
// once with ru_RU.UTF-8.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/win32/win32_module_resources.h"
#include "platform/win32/win32_system_info.h"

namespace nimbra::win32 {
namespace {

using namespace std::string_literals;

bool russian() {
  const char* locale = std::getenv("LC_ALL");
  return locale != nullptr && std::string(locale).rfind("ru_RU", 0) == 0;
}

TEST(Locale, UserDefaultLcidFollowsTheLocaleWineStartedIn) {
  Win32SystemInfo system;
  EXPECT_EQ(system.userDefaultLcid(), russian() ? 1049u : 1033u);
}

TEST(Locale, OemTextBecomesAnsiByteForByteEvenPastANul) {
  Win32SystemInfo system;
  // "Microsoft Windows" in ASCII passes unchanged; the high bytes are the OEM code
  // page: 866 (А а Я В Б) for Russian, 437 (Ç á ƒ é ü) otherwise.
  const std::string oem = "Microsoft \x80\xA0\x9F\0\x82\x81 [6.1]\r\n"s;
  const std::string ansi = russian() ? "Microsoft \xC0\xE0\xDF\0\xC2\xC1 [6.1]\r\n"s
                                     : "Microsoft \xC7\xE1\x83\0\xE9\xFC [6.1]\r\n"s;
  EXPECT_EQ(system.oemToAnsi(oem), ansi);
  EXPECT_EQ(system.oemToAnsi(""), "");
}

TEST(Locale, RussianPackResourceIsFoundWhateverTheUserLanguage) {
  Win32ModuleResources resources;
  const auto found = resources.find("DWIX", "COK");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->size(), 5u + 256u + 3u);
}

}  // namespace
}  // namespace nimbra::win32
