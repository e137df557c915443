// Windows 95, 98 and Me: named from version, build and the release letter.
#include <gtest/gtest.h>

#include "host/os_naming.h"
#include "os_scripted_queries.h"

namespace nimbra {
namespace {

using testing::ScriptedOsQueries;
using testing::Win9xFacts;

struct Row9x {
  std::uint32_t major, minor, build;
  const char* servicePack;
  const char* expected;
};

class Windows9xRow : public ::testing::TestWithParam<Row9x> {};

TEST_P(Windows9xRow, NamesTheRelease) {
  const Row9x& row = GetParam();
  ScriptedOsQueries queries;
  auto name = NameOperatingSystem(Win9xFacts(row.major, row.minor, row.build, row.servicePack), queries);
  ASSERT_TRUE(name.has_value());
  EXPECT_EQ(name->name, row.expected);
  EXPECT_EQ(name->servicePack, row.servicePack);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Windows9xRow,
    ::testing::Values(
        Row9x{3, 0, 1111, "", "Microsoft Windows Unknown 9x"},
        Row9x{5, 0, 1111, "", "Microsoft Windows Unknown 9x"},
        Row9x{4, 0, 1111, "", "Microsoft Windows 95 OSR 2.0"},
        Row9x{4, 3, 1111, "", "Microsoft Windows 95 OSR 2.0"},
        Row9x{4, 0, 1111, " A", "Microsoft Windows 95 OSR 2.0"},
        Row9x{4, 0, 1212, "", "Microsoft Windows 95 OSR 2.1"},
        Row9x{4, 3, 1213, "", "Microsoft Windows 95 OSR 2.1"},
        Row9x{4, 0, 1214, " C", "Microsoft Windows 95 OSR 2.5"},
        Row9x{4, 0, 1214, " B", "Microsoft Windows 95 OSR 2.1"},
        Row9x{4, 0, 1214, "C", "Microsoft Windows 95 OSR 2.1"},  // the letter is the second byte
        Row9x{4, 0, 1214, "", "Microsoft Windows 95 OSR 2.1"},
        Row9x{4, 0, 1081, "", "Microsoft Windows 95 OSR 2.x"},
        Row9x{4, 0, 1081, " A", "Microsoft Windows 95 OSR 2.x"},
        Row9x{4, 0, 1080, " A", "Microsoft Windows 95 OSR 1"},
        Row9x{4, 0, 950, " W", "Microsoft Windows 95 OSR 1"},
        Row9x{4, 0, 950, " C", "Microsoft Windows 95"},
        Row9x{4, 0, 950, "", "Microsoft Windows 95"},
        Row9x{4, 10, 1998, "", "Microsoft Windows 98"},
        Row9x{4, 10, 1998, " C", "Microsoft Windows 98"},
        Row9x{4, 10, 2222, "", "Microsoft Windows 98 SE"},
        Row9x{4, 10, 1998, " A", "Microsoft Windows 98 SE"},
        Row9x{4, 10, 1998, " B", "Microsoft Windows 98 SE"},
        Row9x{4, 90, 3000, "", "Microsoft Windows Millennium"},
        Row9x{4, 90, 3000, " A", "Microsoft Windows Millennium"},
        Row9x{4, 1, 1111, "", "Microsoft Windows Unknown 9x"},
        Row9x{4, 20, 2222, "", "Microsoft Windows Unknown 9x"}));

TEST(Windows9x, BuildIsTheLowWordOfTheBuildField) {
  // Windows 95 reports 4.00.1111 as 0x04000457.
  ScriptedOsQueries queries;
  auto name = NameOperatingSystem(Win9xFacts(4, 0, 0x04000457), queries);
  EXPECT_EQ(name->name, "Microsoft Windows 95 OSR 2.0");
}

TEST(Windows9x, ServicePackTextIsKeptAsItCame) {
  ScriptedOsQueries queries;
  auto name = NameOperatingSystem(Win9xFacts(4, 10, 2222, " A "), queries);
  EXPECT_EQ(name->servicePack, " A ");
  EXPECT_EQ(ComposeOperatingSystemName(*name), "Microsoft Windows 98 SE  A ");
}

TEST(Windows9x, Windows98SeWithBlankServicePackHasNoTrailingSpace) {
  ScriptedOsQueries queries;
  auto name = NameOperatingSystem(Win9xFacts(4, 10, 2222, " "), queries);
  EXPECT_EQ(ComposeOperatingSystemName(*name), "Microsoft Windows 98 SE");
}

TEST(Windows9x, AsksNoCostlyQuery) {
  ScriptedOsQueries queries;
  NameOperatingSystem(Win9xFacts(4, 0, 1214, " C"), queries);
  NameOperatingSystem(Win9xFacts(7, 0, 1, ""), queries);
  EXPECT_EQ(queries.verCalls + queries.productNameCalls + queries.productOptionsCalls + queries.hotfixCalls, 0);
}

TEST(PlatformId, NeitherWindows9xNorNtGivesNoName) {
  ScriptedOsQueries queries;
  for (std::uint32_t platformId : {0u, 3u, 4u}) {
    OsFacts facts = Win9xFacts(4, 10, 2222);
    facts.version.platformId = platformId;
    EXPECT_FALSE(NameOperatingSystem(facts, queries).has_value()) << platformId;
  }
}

}  // namespace
}  // namespace nimbra
