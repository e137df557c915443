// Windows NT family: the version words, including the rows that "ver" decides.
#include <gtest/gtest.h>

#include "host/os_naming.h"
#include "os_scripted_queries.h"

namespace nimbra {
namespace {

using testing::NtFacts;
using testing::ScriptedOsQueries;

constexpr std::uint8_t kWs = 1;      // workstation
constexpr std::uint8_t kServer = 3;  // server
constexpr std::uint8_t kDc = 2;      // domain controller

struct VersionRow {
  std::uint32_t major, minor;
  std::uint8_t productType;
  std::uint16_t architecture;
  std::uint16_t suiteMask;
  bool serverR2;
  const char* ver;
  const char* expected;
  int verCalls;
};

// With only the basic record and no ProductOptions key no edition words
// follow, so the name shows the version words alone.
std::string versionWords(const VersionRow& row, ScriptedOsQueries& queries) {
  OsFacts facts = NtFacts(row.major, row.minor, row.productType, row.architecture, row.suiteMask);
  facts.extendedRecord = false;
  facts.serverR2 = row.serverR2;
  queries.ver = row.ver;
  auto name = NameOperatingSystem(facts, queries);
  return name ? name->name : "<none>";
}

class NtVersionRow : public ::testing::TestWithParam<VersionRow> {};

TEST_P(NtVersionRow, AppendsTheVersionWords) {
  const VersionRow& row = GetParam();
  ScriptedOsQueries queries;
  EXPECT_EQ(versionWords(row, queries), row.expected);
  EXPECT_EQ(queries.verCalls, row.verCalls);
}

constexpr const char* kVer62 = "\r\nMicrosoft Windows [Version 6.2.9200]\r\n";
constexpr const char* kVer63 = "\r\nMicrosoft Windows [Version 6.3.9600]\r\n";
constexpr const char* kVer10 = "\r\nMicrosoft Windows [Version 10.0.19045.3803]\r\n";
constexpr const char* kVer11 = "\r\nMicrosoft Windows [Version 11.0.1234]\r\n";

INSTANTIATE_TEST_SUITE_P(
    Table, NtVersionRow,
    ::testing::Values(
        VersionRow{3, 51, kWs, 0, 0, false, "", "Microsoft Windows NT ", 0},
        VersionRow{4, 0, kServer, 0, 0, false, "", "Microsoft Windows NT ", 0},
        VersionRow{5, 0, kWs, 0, 0, false, "", "Microsoft Windows 2000 ", 0},
        VersionRow{5, 1, kWs, 9, 0, false, "", "Microsoft Windows XP ", 0},
        VersionRow{5, 2, kServer, 0, 0x2000, true, "", "Microsoft Windows Server 2003 R2 ", 0},
        VersionRow{5, 2, kWs, 9, 0, true, "", "Microsoft Windows Server 2003 R2 ", 0},
        VersionRow{5, 2, kServer, 0, 0x2000, false, "", "Microsoft Windows Storage Server 2003", 0},
        VersionRow{5, 2, kServer, 0, 0x2002, false, "", "Microsoft Windows Server 2003 ", 0},
        VersionRow{5, 2, kWs, 9, 0, false, "", "Microsoft Windows XP ", 0},
        VersionRow{5, 2, kWs, 0, 0, false, "", "Microsoft Windows Server 2003 ", 0},
        VersionRow{5, 2, kServer, 9, 0, false, "", "Microsoft Windows Server 2003 ", 0},
        VersionRow{5, 3, kWs, 0, 0, false, "", "Microsoft Windows Unknown version ", 0},
        VersionRow{6, 0, kWs, 0, 0, false, "", "Microsoft Windows Vista ", 0},
        VersionRow{6, 0, kServer, 0, 0, false, "", "Microsoft Windows Server 2008 ", 0},
        VersionRow{6, 0, kDc, 0, 0, false, "", "Microsoft Windows Server 2008 ", 0},
        VersionRow{6, 1, kWs, 0, 0, false, "", "Microsoft Windows 7 ", 0},
        VersionRow{6, 1, kServer, 0, 0, false, "", "Microsoft Windows Server 2008 R2 ", 0},
        VersionRow{6, 2, kWs, 9, 0, false, kVer62, "Microsoft Windows 8 ", 1},
        VersionRow{6, 2, kServer, 9, 0, false, kVer62, "Microsoft Windows Server 2012 ", 1},
        VersionRow{6, 2, kWs, 9, 0, false, kVer63, "Microsoft Windows 8.1 ", 1},
        VersionRow{6, 2, kServer, 9, 0, false, kVer63, "Microsoft Windows Server 2012 R2 ", 1},
        VersionRow{6, 2, kWs, 9, 0, false, kVer10, "Microsoft Windows 10 ", 1},
        VersionRow{6, 2, kServer, 9, 0, false, kVer10, "Microsoft Windows Server 10 ", 1},
        // " 6.2" is tested before " 10".
        VersionRow{6, 2, kWs, 9, 0, false, "Windows 10 [Version 6.2.1]", "Microsoft Windows 8 ", 1},
        VersionRow{6, 2, kWs, 9, 0, false, kVer11, "Microsoft Windows  11", 1},
        VersionRow{6, 2, kServer, 9, 0, false, kVer11, "Microsoft Windows Server  11", 1},
        // No "ComSpec": nothing was run and nothing follows the space.
        VersionRow{6, 2, kWs, 9, 0, false, "", "Microsoft Windows  ", 1},
        VersionRow{6, 2, kServer, 9, 0, false, "", "Microsoft Windows Server  ", 1},
        // "6.2" without the space before it is not " 6.2": the fallback words take the "6".
        VersionRow{6, 2, kWs, 9, 0, false, "Version:6.2", "Microsoft Windows  6", 1},
        VersionRow{6, 3, kWs, 0, 0, false, "", "Microsoft Windows 8.1 ", 0},
        VersionRow{6, 3, kServer, 0, 0, false, "", "Microsoft Windows Server 2012 R2 ", 0},
        VersionRow{6, 4, kWs, 0, 0, false, "", "Microsoft Windows ", 0},
        VersionRow{6, 9, kServer, 0, 0, false, "", "Microsoft Windows ", 0},
        VersionRow{10, 0, kWs, 9, 0, false, "", "Microsoft Windows 10 ", 0},
        VersionRow{10, 0, kServer, 9, 0, false, "", "Microsoft Windows Server 2016 ", 0},
        VersionRow{10, 1, kWs, 9, 0, false, "", "Microsoft Windows ", 0},
        VersionRow{0, 0, kWs, 0, 0, false, kVer11, "Microsoft Windows  11", 1},
        VersionRow{1, 0, kWs, 0, 0, false, kVer11, "Microsoft Windows  11", 1},
        VersionRow{2, 0, kServer, 0, 0, false, kVer11, "Microsoft Windows Server  11", 1},
        VersionRow{7, 0, kWs, 0, 0, false, kVer10, "Microsoft Windows  10", 1},
        VersionRow{9, 0, kWs, 0, 0, false, kVer11, "Microsoft Windows  11", 1},
        VersionRow{11, 0, kWs, 9, 0, false, kVer11, "Microsoft Windows  11", 1},
        VersionRow{11, 0, kDc, 9, 0, false, kVer11, "Microsoft Windows Server  11", 1}));

TEST(NtVersionWords, AWindows62SystemRunsVerOnceEvenWhenItFallsBack) {
  ScriptedOsQueries queries;
  queries.ver = "\r\nnothing known\r\n";
  OsFacts facts = NtFacts(6, 2, kWs, 9);
  NameOperatingSystem(facts, queries);
  EXPECT_EQ(queries.verCalls, 1);
}

// "ver" is started only where its words can reach the result: a readable
// "ProductName" replaces the whole name of version 6 with the extended record.
TEST(NtVersionWords, VerRunsOnlyWhereItCanChangeTheName) {
  const struct {
    std::uint32_t major, minor;
    bool extended;
    std::optional<std::string> productName;
    const char* expected;
    int verCalls;
  } rows[] = {
      {6, 2, true, "Windows 10 Pro", "Windows 10 Pro 64-bit", 0},
      {6, 2, true, "", " 64-bit", 0},  // an empty value empties the name
      {6, 2, true, std::nullopt, "Microsoft Windows 10  64-bit", 1},
      {6, 2, false, "Windows 10 Pro", "Microsoft Windows 10 ", 1},  // the basic record never reads it
      {11, 0, true, "Windows 11 Pro", "Microsoft Windows  11Unknown Workstation", 1},
      {6, 1, true, std::nullopt, "Microsoft Windows 7  64-bit", 0},
  };
  for (const auto& row : rows) {
    ScriptedOsQueries queries;
    queries.ver = kVer10;
    if (row.major == 11) queries.ver = kVer11;
    queries.productNameValue = row.productName;
    OsFacts facts = NtFacts(row.major, row.minor, kWs, 9);
    facts.extendedRecord = row.extended;
    auto name = NameOperatingSystem(facts, queries);
    ASSERT_TRUE(name.has_value());
    EXPECT_EQ(name->name, row.expected) << row.major << "." << row.minor;
    EXPECT_EQ(queries.verCalls, row.verCalls) << row.major << "." << row.minor;
  }
}

}  // namespace
}  // namespace nimbra
