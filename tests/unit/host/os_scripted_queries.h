// Scripted answers to the naming's costly queries, counting how often each is asked.
#pragma once

#include <optional>
#include <string>

#include "host/os_facts.h"
#include "platform/codes.h"

namespace nimbra::testing {

struct ScriptedOsQueries : OsQueries {
  std::string ver;
  std::optional<std::string> productNameValue;
  std::optional<std::string> productOptions;
  bool hotfix = false;

  int verCalls = 0;
  int productNameCalls = 0;
  int productOptionsCalls = 0;
  int hotfixCalls = 0;

  std::string verOutput() override {
    ++verCalls;
    return ver;
  }
  std::optional<std::string> productName() override {
    ++productNameCalls;
    return productNameValue;
  }
  std::optional<std::string> productOptionsType() override {
    ++productOptionsCalls;
    return productOptions;
  }
  bool hasHotfixQ246009() override {
    ++hotfixCalls;
    return hotfix;
  }
};

inline OsFacts NtFacts(std::uint32_t major, std::uint32_t minor, std::uint8_t productType,
                       std::uint16_t architecture = win::kArchitectureIntel, std::uint16_t suiteMask = 0) {
  OsFacts facts;
  facts.version = {major, minor, 1000, win::kPlatformWin32Nt, "", suiteMask, productType};
  facts.extendedRecord = true;
  facts.architecture = architecture;
  return facts;
}

inline OsFacts Win9xFacts(std::uint32_t major, std::uint32_t minor, std::uint32_t build, std::string servicePack = "") {
  OsFacts facts;
  facts.version = {major, minor, build, win::kPlatformWin32Windows, std::move(servicePack), 0, 0};
  facts.extendedRecord = true;
  return facts;
}

}  // namespace nimbra::testing
