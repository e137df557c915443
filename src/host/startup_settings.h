// The start-up of the process: the settings record's start-up fields, the
// random generator, the 64-bit flag and the shared registry object, filled
// once before the update run and released at process end.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "host/command_line.h"
#include "host/random.h"
#include "host/settings.h"
#include "host/shared_registry.h"
#include "platform/platform.h"

namespace nimbra {

// The process-wide state that start-up creates. The entry owns the one
// instance; tests create fresh ones.
struct StartupState {
  Settings settings;
  bool is64Bit = false;  // set by operating system identification
  RandomGenerator random;
  std::unique_ptr<SharedRegistry> registry;  // created by InitStartupSettings
};

// The access mask of the shared registry object: KEY_ALL_ACCESS, in the
// 64-bit view (0xF013F) on a 64-bit system, else 0xF003F.
std::uint32_t SharedRegistryAccessMask(bool is64Bit);

// Whether built-in texts are Russian for this user locale: seven whole LCIDs
// (Bulgarian, Russian, Ukrainian, Belarusian, Kazakh, Tatar, Russian in
// Moldova), not every Cyrillic-script locale.
bool IsCyrillicUiLcid(std::uint32_t lcid);

// The seed where the system has no cryptographic random source: the low 32
// bits of the performance counter, or the tick count when the counter fails.
std::uint32_t ClockSeed(platform::Clock& clock);

// Stores arguments 1 and 2 of the command line (empty where missing), ASCII
// lower-cased, as the start and finish arguments.
void StoreCommandLineArguments(Settings& settings, const CommandLineWords& words);

// In this order: seeds the generator, reads the user LCID and sets the
// Cyrillic UI flag, identifies the operating system (which may run "ver"),
// creates the shared registry object (root HKEY_CURRENT_USER, no open key)
// and stores the arguments of the process's command line.
void InitStartupSettings(platform::Platform& platform, StartupState& state, const CommandLineWords& words);

// Destroys the shared registry object (closing any open key) and clears the
// record's texts.
void ReleaseStartupSettings(StartupState& state);

}  // namespace nimbra
