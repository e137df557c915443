#include "host/startup_settings.h"

#include <algorithm>
#include <array>

#include "host/command_line.h"
#include "host/os_identification.h"
#include "platform/codes.h"

namespace nimbra {

std::uint32_t SharedRegistryAccessMask(bool is64Bit) {
  return is64Bit ? win::kKeyAllAccess | win::kKeyWow64_64Key : win::kKeyAllAccess;
}

bool IsCyrillicUiLcid(std::uint32_t lcid) {
  // Whole LCIDs: Serbian and Kyrgyz in Cyrillic script have no Russian texts of their own.
  constexpr std::array<std::uint32_t, 7> kCyrillicUiLcids = {0x0402, 0x0419, 0x0422, 0x0423, 0x043F, 0x0444, 0x0819};
  return std::find(kCyrillicUiLcids.begin(), kCyrillicUiLcids.end(), lcid) != kCyrillicUiLcids.end();
}

std::uint32_t ClockSeed(platform::Clock& clock) {
  if (auto counter = clock.performanceCounter()) return static_cast<std::uint32_t>(*counter);
  return clock.tickCount();
}

void StoreCommandLineArguments(Settings& settings, const CommandLineWords& words) {
  settings.startArgument = words.size() > 1 ? ToLowerAscii(words[1]) : std::string();
  settings.finishArgument = words.size() > 2 ? ToLowerAscii(words[2]) : std::string();
}

// Temporary names must not be foreseeable to anyone who could plant a link
// under them: the seed comes from the system's cryptographic source, and
// only where there is none from the clock.
std::uint32_t RandomSeed(platform::Platform& platform) {
  if (auto random = platform.system.cryptoRandom()) return *random;
  return ClockSeed(platform.clock);
}

void InitStartupSettings(platform::Platform& platform, StartupState& state, const CommandLineWords& words) {
  state.random.seed(RandomSeed(platform));
  state.settings.userLcid = platform.system.userDefaultLcid();
  state.settings.cyrillicUi = IsCyrillicUiLcid(state.settings.userLcid);
  IdentifyOperatingSystem(platform, state.is64Bit);
  state.registry = std::make_unique<SharedRegistry>(platform.registry, SharedRegistryAccessMask(state.is64Bit));
  StoreCommandLineArguments(state.settings, words);
}

void ReleaseStartupSettings(StartupState& state) {
  state.registry.reset();
  Settings& s = state.settings;
  for (std::string* text : {&s.productKey, &s.programTitle, &s.englishTitle, &s.packVersionText,
                            &s.installationFolder, &s.uninstallKeyPrefix, &s.startArgument,
                            &s.finishArgument})
    text->clear();
}

}  // namespace nimbra
