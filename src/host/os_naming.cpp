#include "host/os_naming.h"

#include <cstdint>

#include "platform/codes.h"
#include "text/number_text.h"
#include "text/ascii_case.h"

namespace nimbra {

namespace {

constexpr std::uint16_t kSuiteEnterprise = 0x0002;
constexpr std::uint16_t kSuiteEmbeddedNt = 0x0040;
constexpr std::uint16_t kSuiteDatacenter = 0x0080;
constexpr std::uint16_t kSuitePersonal = 0x0200;
constexpr std::uint16_t kSuiteBlade = 0x0400;
constexpr std::uint16_t kSuiteStorageServer = 0x2000;
constexpr std::uint16_t kSuiteComputeServer = 0x4000;
constexpr std::uint8_t kNtDomainController = 2;
constexpr std::uint8_t kNtServer = 3;

// Windows 9x puts major and minor version into the high word of the build field.
std::uint32_t buildOf(const OsFacts& facts) { return facts.version.build & 0xFFFF; }

// The second byte of the service-pack text, which on 9x carries the release letter.
char releaseLetter(const OsFacts& facts) {
  const std::string& text = facts.version.servicePack;
  return text.size() >= 2 ? text[1] : '\0';
}

bool isWorkstation(const OsFacts& facts) { return facts.version.productType == win::kNtWorkstation; }
bool hasSuite(const OsFacts& facts, std::uint16_t bit) { return (facts.version.suiteMask & bit) != 0; }

std::string windows9xWords(const OsFacts& facts) {
  const auto& v = facts.version;
  if (v.major != 4) return "Unknown 9x";
  std::uint32_t build = buildOf(facts);
  char letter = releaseLetter(facts);
  switch (v.minor) {
    case 0:
    case 3:
      if (build == 1111) return "95 OSR 2.0";
      if (build == 1212 || build == 1213) return "95 OSR 2.1";
      if (build == 1214) return letter == 'C' ? "95 OSR 2.5" : "95 OSR 2.1";
      if (build > 1080) return "95 OSR 2.x";
      if (letter == 'A' || letter == 'W') return "95 OSR 1";
      return "95";
    case 10:
      return build == 2222 || letter == 'A' || letter == 'B' ? "98 SE" : "98";
    case 90:
      return "Millennium";
    default:
      return "Unknown 9x";
  }
}

// Windows 8 and later report 6.2 to a program without a supported-OS list;
// only "ver" tells them apart.
std::string windows62Words(const OsFacts& facts, OsQueries& queries) {
  bool workstation = isWorkstation(facts);
  std::string output = queries.verOutput();
  if (output.find(" 6.2") != std::string::npos) return workstation ? "8 " : "Server 2012 ";
  if (output.find(" 6.3") != std::string::npos) return workstation ? "8.1 " : "Server 2012 R2 ";
  if (output.find(" 10") != std::string::npos) return workstation ? "10 " : "Server 10 ";
  return VerFallbackWords(output, workstation);
}

std::string ntVersionWords(const OsFacts& facts, OsQueries& queries) {
  const auto& v = facts.version;
  bool workstation = isWorkstation(facts);
  switch (v.major) {
    case 3:
    case 4:
      return "NT ";
    case 5:
      switch (v.minor) {
        case 0: return "2000 ";
        case 1: return "XP ";
        case 2:
          if (facts.serverR2) return "Server 2003 R2 ";
          if (v.suiteMask == kSuiteStorageServer) return "Storage Server 2003";
          if (workstation && facts.architecture == win::kArchitectureAmd64) return "XP ";
          return "Server 2003 ";
        default: return "Unknown version ";
      }
    case 6:
      switch (v.minor) {
        case 0: return workstation ? "Vista " : "Server 2008 ";
        case 1: return workstation ? "7 " : "Server 2008 R2 ";
        case 2: return windows62Words(facts, queries);
        case 3: return workstation ? "8.1 " : "Server 2012 R2 ";
        default: return "";
      }
    case 10:
      if (v.minor == 0) return workstation ? "10 " : "Server 2016 ";
      return "";
    default:
      return VerFallbackWords(queries.verOutput(), workstation);
  }
}

std::string unknownArchitecture(std::uint16_t architecture) {
  return "Unknown on Architecture 0x" + UpperHex(architecture);
}

std::string server2003Edition(const OsFacts& facts) {
  switch (facts.architecture) {
    case win::kArchitectureIntel:
      if (hasSuite(facts, kSuiteComputeServer)) return "Computer Cluster";
      if (hasSuite(facts, kSuiteDatacenter)) return "Datacenter";
      if (hasSuite(facts, kSuiteEnterprise)) return "Enterprise";
      // A whole-mask test: Web edition is the blade suite and nothing else.
      if (facts.version.suiteMask == kSuiteBlade) return "Web";
      return "Standard";
    case win::kArchitectureIa64:
      if (hasSuite(facts, kSuiteDatacenter)) return "Datacenter for Itanium-based Systems";
      if (hasSuite(facts, kSuiteEnterprise)) return "Enterprise for Itanium-based Systems";
      return "Standard Itanium-based";
    case win::kArchitectureAmd64:
      if (hasSuite(facts, kSuiteDatacenter)) return "Datacenter x64";
      if (hasSuite(facts, kSuiteEnterprise)) return "Enterprise x64";
      return "Standard x64";
    default:
      return unknownArchitecture(facts.architecture);
  }
}

std::string workstationEdition(const OsFacts& facts) {
  const auto& v = facts.version;
  if (v.major == 4) return "Workstation";
  if (v.major != 5) return "Unknown Workstation";
  if (v.minor == 2 && facts.architecture == win::kArchitectureAmd64) return "Professional x64";
  if (facts.starter) return "Starter";
  if (facts.mediaCenter) return "Media Center";
  if (facts.tabletPc) return "Tablet PC";
  if (hasSuite(facts, kSuitePersonal)) return "Home";
  if (hasSuite(facts, kSuiteEmbeddedNt)) return "Embedded";
  return "Professional";
}

std::string serverEdition(const OsFacts& facts) {
  const auto& v = facts.version;
  if (v.major == 4) return hasSuite(facts, kSuiteEnterprise) ? "Server 4.0 Enterprise" : "Server 4.0";
  if (v.major == 5 && v.minor == 0) {
    if (hasSuite(facts, kSuiteDatacenter)) return "Datacenter Server";
    if (hasSuite(facts, kSuiteEnterprise)) return "Advanced Server";
    return "Server";
  }
  if (v.major == 5 && v.minor == 2) return server2003Edition(facts);
  return v.productType == kNtServer ? "Unknown Server" : "Unknown Domain controller";
}

std::string architectureWords(const OsFacts& facts) {
  if (facts.architecture == win::kArchitectureAmd64) return " 64-bit";
  if (facts.architecture == win::kArchitectureIntel) return " 32-bit";
  return "";
}

// Edition words from the extended record, for every major version but 6.
std::string extendedEdition(const OsFacts& facts) {
  switch (facts.version.productType) {
    case win::kNtWorkstation: return workstationEdition(facts);
    case kNtDomainController:
    case kNtServer: return serverEdition(facts);
    default: return "Unknown";
  }
}

// Without the extended record only the registry knows workstation from server.
void appendBasicEdition(OsQueries& queries, std::string& name) {
  auto type = queries.productOptionsType();
  if (!type) return;
  const std::string upper = ToUpperAscii(*type);
  if (upper == "WINNT") name += "Workstation";
  else if (upper == "LANMANNT") name += "Server";
  else if (upper == "SERVERNT") name += "Advanced Server";
  else name += "Unknown";
}

std::string ntServicePack(const OsFacts& facts, OsQueries& queries) {
  // NT 4 SP6 had a broken first release; its fix shows only as this hotfix key.
  if (facts.version.major == 4 && facts.version.servicePack == "Service Pack 6" && queries.hasHotfixQ246009())
    return "Service Pack 6a";
  return facts.version.servicePack;
}

// Version 6 with the extended record takes the marketing name from the
// registry instead, since the record cannot tell its editions apart. That
// name replaces everything before it, so the version words, and the "ver"
// child they may need, are only worked out when it cannot be read.
std::string ntName(const OsFacts& facts, OsQueries& queries) {
  std::string name = "Microsoft Windows ";
  if (!facts.extendedRecord) {
    name += ntVersionWords(facts, queries);
    appendBasicEdition(queries, name);
  } else if (facts.version.major == 6) {
    std::optional<std::string> productName = queries.productName();
    name = productName ? *productName : name + ntVersionWords(facts, queries);
    name += architectureWords(facts);
  } else {
    name += ntVersionWords(facts, queries);
    name += extendedEdition(facts);
  }
  return name;
}

}  // namespace

std::optional<OsName> NameOperatingSystem(const OsFacts& facts, OsQueries& queries) {
  OsName result{"Microsoft Windows ", {}};
  switch (facts.version.platformId) {
    case win::kPlatformWin32Windows:
      result.name += windows9xWords(facts);
      result.servicePack = facts.version.servicePack;
      return result;
    case win::kPlatformWin32Nt:
      result.name = ntName(facts, queries);
      result.servicePack = ntServicePack(facts, queries);
      return result;
    default:
      return std::nullopt;
  }
}

std::string VerFallbackWords(std::string_view verOutput, bool workstation) {
  std::string words = workstation ? " " : "Server  ";
  std::size_t ion = verOutput.find("ion");
  // Two bytes past the first "ion" (without one, the fourth byte): the first
  // digit of "[Version 11.0.1234]".
  std::size_t start = ion == std::string_view::npos ? 3 : ion + 4;
  std::size_t dot = verOutput.find('.');
  if (dot != std::string_view::npos && dot > start) words += verOutput.substr(start, dot - start);
  return words;
}

std::string ComposeOperatingSystemName(const OsName& name) {
  bool blank = true;
  for (char c : name.servicePack)
    if (static_cast<unsigned char>(c) > 0x20) blank = false;
  if (blank) return name.name;
  return name.name + " " + name.servicePack;
}

bool NameSays64Bit(std::string_view composedName) { return composedName.find(" 64") != std::string_view::npos; }

}  // namespace nimbra
