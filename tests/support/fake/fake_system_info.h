// The fake system facts.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/system_info.h"

namespace nimbra::fake {

// By default a 64-bit Windows 7 SP1 workstation, English (United States),
// administrator, elevated.
class FakeSystemInfo : public platform::SystemInfo {
 public:
  std::optional<platform::VersionRecord> extendedRecord =
      platform::VersionRecord{6, 1, 7601, 2, "Service Pack 1", 0x0100, 1};
  std::optional<platform::VersionRecord> basicRecord = platform::VersionRecord{6, 1, 7601, 2, "Service Pack 1", 0, 0};
  std::uint16_t architecture = 9;
  std::map<int, int> metrics;
  std::uint32_t lcid = 1033;
  std::string systemFolder = "C:\\Windows\\system32";
  std::function<std::string(std::string_view)> oemToAnsiTable;  // identity when empty
  bool administrator = true;
  bool elevated = true;  // as the installer runs: its manifest asks for administrator rights
  std::string commandLineText = "\"C:\\Downloads\\nimbra-pack-update.exe\"";
  std::optional<std::uint32_t> randomValue = 0x5EED5EEDu;  // nullopt: no random source
  int versionCalls = 0;
  int metricCalls = 0;

  std::optional<platform::VersionRecord> versionRecord(bool extended) override {
    ++versionCalls;
    return extended ? extendedRecord : basicRecord;
  }
  std::uint16_t processorArchitecture() override { return architecture; }
  int systemMetric(int index) override {
    ++metricCalls;
    auto it = metrics.find(index);
    return it == metrics.end() ? 0 : it->second;
  }
  std::uint32_t userDefaultLcid() override { return lcid; }
  std::string systemDirectory() override { return systemFolder; }
  std::string oemToAnsi(std::string_view text) override {
    return oemToAnsiTable ? oemToAnsiTable(text) : std::string(text);
  }
  // Latin-1 as the ANSI code page (each byte becomes the character of that
  // number); in Windows-1251 pieces, 0xC0-0xFF are the letters А-я.
  std::string utf8Of(const platform::BoxText& text) override {
    std::string utf8;
    for (const platform::TextPiece& piece : text.pieces()) {
      for (char c : piece.bytes) {
        auto byte = static_cast<unsigned char>(c);
        unsigned character = piece.codePage == platform::kCyrillicCodePage && byte >= 0xC0 ? byte - 0xC0 + 0x410 : byte;
        if (character < 0x80) {
          utf8 += c;
        } else {
          utf8 += static_cast<char>(0xC0 | (character >> 6));
          utf8 += static_cast<char>(0x80 | (character & 0x3F));
        }
      }
    }
    return utf8;
  }
  bool isUserAnAdmin() override { return administrator; }
  bool processIsElevated() override { return elevated; }
  std::string commandLine() override { return commandLineText; }
  std::optional<std::uint32_t> cryptoRandom() override { return randomValue; }
};

}  // namespace nimbra::fake
