// The "ver" fallback words, the composed name and the 64-bit test on it.
#include <gtest/gtest.h>

#include "host/os_naming.h"

namespace nimbra {
namespace {

struct FallbackRow {
  const char* output;
  bool workstation;
  const char* expected;
};

class VerFallbackRow : public ::testing::TestWithParam<FallbackRow> {};

TEST_P(VerFallbackRow, TakesTheTextBetweenIonAndTheFirstDot) {
  const FallbackRow& row = GetParam();
  EXPECT_EQ(VerFallbackWords(row.output, row.workstation), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, VerFallbackRow,
    ::testing::Values(
        FallbackRow{"\r\nMicrosoft Windows [Version 11.0.1234]\r\n", true, " 11"},
        FallbackRow{"\r\nMicrosoft Windows [Version 11.0.1234]\r\n", false, "Server  11"},
        FallbackRow{"", true, " "},
        FallbackRow{"", false, "Server  "},
        FallbackRow{"\r\n", true, " "},
        // Without "ion" the text starts at the fourth byte.
        FallbackRow{"\r\nMicrosoft Windows 6.1.7601\r\n", true, " icrosoft Windows 6"},
        FallbackRow{"abcdef.", true, " def"},
        FallbackRow{"abc.", true, " "},
        FallbackRow{"ab.cdef", true, " "},
        // The first dot of the whole output counts, even when it comes before "ion".
        FallbackRow{"v1.0 Version 12.1", true, " "},
        // A dot right at the start position gives nothing; one after it gives the bytes between.
        FallbackRow{"ion .", true, " "},
        FallbackRow{"ion 1.", true, " 1"},
        FallbackRow{"xion", true, " "},
        FallbackRow{"Version 12", true, " "},
        FallbackRow{"\r\nVersion 20H2.1 ion 3.0\r\n", true, " 20H2"}));

TEST(ComposeName, BlankServicePackGivesTheNameAlone) {
  EXPECT_EQ(ComposeOperatingSystemName({"Microsoft Windows XP Professional", ""}), "Microsoft Windows XP Professional");
  EXPECT_EQ(ComposeOperatingSystemName({"Microsoft Windows XP Professional", "  \t\r\n\x01\x1F"}),
            "Microsoft Windows XP Professional");
  EXPECT_EQ(ComposeOperatingSystemName({"N", std::string("\0 ", 2)}), "N");
}

TEST(ComposeName, ServicePackFollowsAfterOneSpaceUntrimmed) {
  EXPECT_EQ(ComposeOperatingSystemName({"Windows 7 Ultimate 32-bit", "Service Pack 1"}),
            "Windows 7 Ultimate 32-bit Service Pack 1");
  EXPECT_EQ(ComposeOperatingSystemName({"N", " Service Pack 1 "}), "N  Service Pack 1 ");
}

TEST(ComposeName, HighBytesAreNotBlank) {
  // 0xA0 is a no-break space in Windows-1251, but only bytes up to 0x20 are blank.
  EXPECT_EQ(ComposeOperatingSystemName({"N", "\xA0"}), "N \xA0");
}

TEST(SixtyFourBitFlag, IsSetBySpaceSixFourAnywhere) {
  EXPECT_TRUE(NameSays64Bit("Windows 10 Pro 64-bit"));
  EXPECT_TRUE(NameSays64Bit("Microsoft Windows 7  64-bit Service Pack 1"));
  EXPECT_TRUE(NameSays64Bit("Microsoft Windows  64"));
  EXPECT_TRUE(NameSays64Bit("Anything Service Pack 64"));
}

TEST(SixtyFourBitFlag, IsClearForX64EditionWords) {
  EXPECT_FALSE(NameSays64Bit("Microsoft Windows XP Professional x64 Service Pack 2"));
  EXPECT_FALSE(NameSays64Bit("Microsoft Windows Server 2003 Standard x64"));
  EXPECT_FALSE(NameSays64Bit("Windows 7 Ultimate 32-bit"));
  EXPECT_FALSE(NameSays64Bit("64-bit"));
  EXPECT_FALSE(NameSays64Bit("unknown"));
  EXPECT_FALSE(NameSays64Bit(" 6 4"));
}

}  // namespace
}  // namespace nimbra
