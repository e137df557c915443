// Windows NT family: the edition words from the extended record, from the
// registry on version 6, from ProductOptions with the basic record; and the
// service-pack text.
#include <gtest/gtest.h>

#include "host/os_naming.h"
#include "os_scripted_queries.h"

namespace nimbra {
namespace {

using testing::NtFacts;
using testing::ScriptedOsQueries;

constexpr std::uint8_t kWs = 1;
constexpr std::uint8_t kDc = 2;
constexpr std::uint8_t kServer = 3;

enum Metric : unsigned { kNone = 0, kStarter = 1, kMediaCenter = 2, kTablet = 4 };

struct EditionRow {
  std::uint8_t productType;
  std::uint32_t major, minor;
  std::uint16_t architecture;
  std::uint16_t suiteMask;
  unsigned metrics;
  const char* expected;
};

class ExtendedEditionRow : public ::testing::TestWithParam<EditionRow> {};

TEST_P(ExtendedEditionRow, AppendsTheEditionWords) {
  const EditionRow& row = GetParam();
  OsFacts facts = NtFacts(row.major, row.minor, row.productType, row.architecture, row.suiteMask);
  facts.starter = row.metrics & kStarter;
  facts.mediaCenter = row.metrics & kMediaCenter;
  facts.tabletPc = row.metrics & kTablet;
  ScriptedOsQueries queries;
  queries.ver = "\r\nMicrosoft Windows [Version 7.0.1]\r\n";
  auto name = NameOperatingSystem(facts, queries);
  ASSERT_TRUE(name.has_value());
  EXPECT_EQ(name->name, row.expected);
  EXPECT_EQ(queries.productNameCalls + queries.productOptionsCalls, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Workstation, ExtendedEditionRow,
    ::testing::Values(
        EditionRow{kWs, 4, 0, 0, 0, kNone, "Microsoft Windows NT Workstation"},
        EditionRow{kWs, 5, 2, 9, 0, kNone, "Microsoft Windows XP Professional x64"},
        EditionRow{kWs, 5, 2, 9, 0x0200, kStarter | kMediaCenter, "Microsoft Windows XP Professional x64"},
        EditionRow{kWs, 5, 1, 0, 0x0200, kStarter | kMediaCenter | kTablet, "Microsoft Windows XP Starter"},
        EditionRow{kWs, 5, 1, 0, 0x0200, kMediaCenter | kTablet, "Microsoft Windows XP Media Center"},
        EditionRow{kWs, 5, 1, 0, 0x0200, kTablet, "Microsoft Windows XP Tablet PC"},
        EditionRow{kWs, 5, 1, 0, 0x0240, kNone, "Microsoft Windows XP Home"},
        EditionRow{kWs, 5, 1, 0, 0x0040, kNone, "Microsoft Windows XP Embedded"},
        EditionRow{kWs, 5, 1, 0, 0x0100, kNone, "Microsoft Windows XP Professional"},
        EditionRow{kWs, 5, 0, 0, 0, kNone, "Microsoft Windows 2000 Professional"},
        EditionRow{kWs, 5, 2, 0, 0, kNone, "Microsoft Windows Server 2003 Professional"},
        EditionRow{kWs, 3, 51, 0, 0, kNone, "Microsoft Windows NT Unknown Workstation"},
        EditionRow{kWs, 10, 0, 9, 0, kNone, "Microsoft Windows 10 Unknown Workstation"},
        EditionRow{kWs, 7, 0, 0, 0, kNone, "Microsoft Windows  7Unknown Workstation"}));

INSTANTIATE_TEST_SUITE_P(
    Server, ExtendedEditionRow,
    ::testing::Values(
        EditionRow{kServer, 4, 0, 0, 0x0002, kNone, "Microsoft Windows NT Server 4.0 Enterprise"},
        EditionRow{kDc, 4, 0, 0, 0x0002, kNone, "Microsoft Windows NT Server 4.0 Enterprise"},
        EditionRow{kServer, 4, 0, 0, 0x0080, kNone, "Microsoft Windows NT Server 4.0"},
        EditionRow{kServer, 5, 0, 0, 0x0082, kNone, "Microsoft Windows 2000 Datacenter Server"},
        EditionRow{kDc, 5, 0, 0, 0x0002, kNone, "Microsoft Windows 2000 Advanced Server"},
        EditionRow{kServer, 5, 0, 0, 0x0400, kNone, "Microsoft Windows 2000 Server"},
        EditionRow{kServer, 5, 2, 0, 0x4082, kNone, "Microsoft Windows Server 2003 Computer Cluster"},
        EditionRow{kServer, 5, 2, 0, 0x0082, kNone, "Microsoft Windows Server 2003 Datacenter"},
        EditionRow{kServer, 5, 2, 0, 0x0402, kNone, "Microsoft Windows Server 2003 Enterprise"},
        EditionRow{kServer, 5, 2, 0, 0x0400, kNone, "Microsoft Windows Server 2003 Web"},
        EditionRow{kDc, 5, 2, 0, 0x0400, kNone, "Microsoft Windows Server 2003 Web"},
        // Only the blade suite alone is Web; with any bit no earlier row tests it is Standard.
        EditionRow{kServer, 5, 2, 0, 0x0410, kNone, "Microsoft Windows Server 2003 Standard"},
        EditionRow{kServer, 5, 2, 0, 0x0500, kNone, "Microsoft Windows Server 2003 Standard"},
        EditionRow{kServer, 5, 2, 0, 0x0000, kNone, "Microsoft Windows Server 2003 Standard"},
        // The storage suite names the version without a trailing space.
        EditionRow{kServer, 5, 2, 0, 0x2000, kNone, "Microsoft Windows Storage Server 2003Standard"},
        EditionRow{kServer, 5, 2, 6, 0x0082, kNone, "Microsoft Windows Server 2003 Datacenter for Itanium-based Systems"},
        EditionRow{kServer, 5, 2, 6, 0x0002, kNone, "Microsoft Windows Server 2003 Enterprise for Itanium-based Systems"},
        EditionRow{kServer, 5, 2, 6, 0x4000, kNone, "Microsoft Windows Server 2003 Standard Itanium-based"},
        EditionRow{kServer, 5, 2, 9, 0x0082, kNone, "Microsoft Windows Server 2003 Datacenter x64"},
        EditionRow{kDc, 5, 2, 9, 0x0002, kNone, "Microsoft Windows Server 2003 Enterprise x64"},
        EditionRow{kServer, 5, 2, 9, 0x0400, kNone, "Microsoft Windows Server 2003 Standard x64"},
        EditionRow{kServer, 5, 2, 5, 0x0080, kNone, "Microsoft Windows Server 2003 Unknown on Architecture 0x5"},
        EditionRow{kServer, 5, 2, 12, 0, kNone, "Microsoft Windows Server 2003 Unknown on Architecture 0xC"},
        EditionRow{kServer, 5, 2, 0xABCD, 0, kNone, "Microsoft Windows Server 2003 Unknown on Architecture 0xABCD"},
        EditionRow{kServer, 5, 2, 0xFFFF, 0, kNone, "Microsoft Windows Server 2003 Unknown on Architecture 0xFFFF"},
        EditionRow{kServer, 5, 1, 0, 0, kNone, "Microsoft Windows XP Unknown Server"},
        EditionRow{kServer, 5, 3, 0, 0, kNone, "Microsoft Windows Unknown version Unknown Server"},
        EditionRow{kServer, 3, 51, 0, 0, kNone, "Microsoft Windows NT Unknown Server"},
        EditionRow{kServer, 10, 0, 9, 0, kNone, "Microsoft Windows Server 2016 Unknown Server"},
        EditionRow{kDc, 5, 1, 0, 0, kNone, "Microsoft Windows XP Unknown Domain controller"},
        EditionRow{kDc, 5, 4, 0, 0, kNone, "Microsoft Windows Unknown version Unknown Domain controller"},
        EditionRow{kDc, 3, 10, 0, 0, kNone, "Microsoft Windows NT Unknown Domain controller"},
        EditionRow{kDc, 10, 0, 9, 0, kNone, "Microsoft Windows Server 2016 Unknown Domain controller"}));

INSTANTIATE_TEST_SUITE_P(
    OtherProductType, ExtendedEditionRow,
    ::testing::Values(EditionRow{0, 5, 0, 0, 0, kNone, "Microsoft Windows 2000 Unknown"},
                      EditionRow{4, 5, 2, 9, 0x0002, kNone, "Microsoft Windows Server 2003 Unknown"},
                      EditionRow{255, 4, 0, 0, 0, kNone, "Microsoft Windows NT Unknown"}));

// Version 6: the registry's ProductName replaces the name, then the bitness.

struct Version6Row {
  std::uint32_t minor;
  std::uint16_t architecture;
  std::optional<std::string> productName;
  const char* expected;
};

class Version6EditionRow : public ::testing::TestWithParam<Version6Row> {};

TEST_P(Version6EditionRow, TakesTheProductNameAndAppendsTheBitness) {
  const Version6Row& row = GetParam();
  ScriptedOsQueries queries;
  queries.productNameValue = row.productName;
  queries.ver = "\r\nMicrosoft Windows [Version 10.0.19045]\r\n";
  auto name = NameOperatingSystem(NtFacts(6, row.minor, kWs, row.architecture), queries);
  EXPECT_EQ(name->name, row.expected);
  EXPECT_EQ(queries.productNameCalls, 1);
  EXPECT_EQ(queries.productOptionsCalls, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Version6EditionRow,
    ::testing::Values(Version6Row{1, 9, "Windows 7 Professional", "Windows 7 Professional 64-bit"},
                      Version6Row{1, 0, "Windows 7 Ultimate", "Windows 7 Ultimate 32-bit"},
                      Version6Row{1, 6, "Windows 7 Ultimate", "Windows 7 Ultimate"},
                      Version6Row{2, 9, "Windows 10 Pro", "Windows 10 Pro 64-bit"},
                      Version6Row{1, 9, std::nullopt, "Microsoft Windows 7  64-bit"},
                      Version6Row{0, 0, std::nullopt, "Microsoft Windows Vista  32-bit"},
                      Version6Row{2, 9, std::nullopt, "Microsoft Windows 10  64-bit"},
                      Version6Row{4, 0, std::nullopt, "Microsoft Windows  32-bit"},
                      Version6Row{4, 5, std::nullopt, "Microsoft Windows "},
                      // An empty value empties the name.
                      Version6Row{1, 9, "", " 64-bit"},
                      Version6Row{1, 5, "", ""}));

TEST(Version6Edition, ServerProductNameComesFromTheRegistryToo) {
  ScriptedOsQueries queries;
  queries.productNameValue = "Windows Server 2008 R2 Enterprise";
  auto name = NameOperatingSystem(NtFacts(6, 1, kServer, 9), queries);
  EXPECT_EQ(name->name, "Windows Server 2008 R2 Enterprise 64-bit");
}

// Only the basic record: ProductOptions tells workstation from server.

struct BasicRow {
  std::optional<std::string> productType;
  const char* expected;
};

class BasicEditionRow : public ::testing::TestWithParam<BasicRow> {};

TEST_P(BasicEditionRow, AppendsTheProductOptionsWord) {
  ScriptedOsQueries queries;
  queries.productOptions = GetParam().productType;
  OsFacts facts = NtFacts(4, 0, 0);
  facts.extendedRecord = false;
  auto name = NameOperatingSystem(facts, queries);
  EXPECT_EQ(name->name, GetParam().expected);
  EXPECT_EQ(queries.productOptionsCalls, 1);
  EXPECT_EQ(queries.productNameCalls, 0);
}

INSTANTIATE_TEST_SUITE_P(Table, BasicEditionRow,
                         ::testing::Values(BasicRow{"WINNT", "Microsoft Windows NT Workstation"},
                                           BasicRow{"WinNT", "Microsoft Windows NT Workstation"},
                                           BasicRow{"winnt", "Microsoft Windows NT Workstation"},
                                           BasicRow{"LanmanNT", "Microsoft Windows NT Server"},
                                           BasicRow{"ServerNT", "Microsoft Windows NT Advanced Server"},
                                           BasicRow{"WINNT ", "Microsoft Windows NT Unknown"},
                                           BasicRow{"", "Microsoft Windows NT Unknown"},
                                           BasicRow{"win\xCD\xD2", "Microsoft Windows NT Unknown"},
                                           BasicRow{std::nullopt, "Microsoft Windows NT "}));

TEST(BasicEdition, Version6WithTheBasicRecordDoesNotAskForProductName) {
  ScriptedOsQueries queries;
  queries.productOptions = "WinNT";
  OsFacts facts = NtFacts(6, 1, 0, 9);
  facts.extendedRecord = false;
  auto name = NameOperatingSystem(facts, queries);
  EXPECT_EQ(name->name, "Microsoft Windows Server 2008 R2 Workstation");
  EXPECT_EQ(queries.productNameCalls, 0);
}

// Service-pack text.

struct ServicePackRow {
  std::uint32_t major;
  const char* recordText;
  bool hotfix;
  const char* expected;
  int hotfixCalls;
};

class NtServicePackRow : public ::testing::TestWithParam<ServicePackRow> {};

TEST_P(NtServicePackRow, IsTheRecordsTextUnlessNt4Sp6aIsInstalled) {
  const ServicePackRow& row = GetParam();
  OsFacts facts = NtFacts(row.major, 0, kWs);
  facts.version.servicePack = row.recordText;
  ScriptedOsQueries queries;
  queries.hotfix = row.hotfix;
  auto name = NameOperatingSystem(facts, queries);
  EXPECT_EQ(name->servicePack, row.expected);
  EXPECT_EQ(queries.hotfixCalls, row.hotfixCalls);
}

INSTANTIATE_TEST_SUITE_P(Table, NtServicePackRow,
                         ::testing::Values(ServicePackRow{4, "Service Pack 6", true, "Service Pack 6a", 1},
                                           ServicePackRow{4, "Service Pack 6", false, "Service Pack 6", 1},
                                           ServicePackRow{4, "service pack 6", true, "service pack 6", 0},
                                           ServicePackRow{4, "Service Pack 6 ", true, "Service Pack 6 ", 0},
                                           ServicePackRow{4, "Service Pack 5", true, "Service Pack 5", 0},
                                           ServicePackRow{5, "Service Pack 6", true, "Service Pack 6", 0},
                                           ServicePackRow{3, "Service Pack 6", true, "Service Pack 6", 0},
                                           ServicePackRow{5, " Service Pack 4 ", false, " Service Pack 4 ", 0}));

}  // namespace
}  // namespace nimbra
