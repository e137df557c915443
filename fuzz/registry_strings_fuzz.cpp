// The registry strings that decide where the installer writes, on arbitrary
// bytes: the cut of an "UninstallString", its 32-bit-view twin path, the
// trailing backslash of a folder value, and the whole search of
// FindInstallLocations over fuzzed "ProgramFilesDir" and "UninstallString"
// values in both views, followed by the "TheLastRunFolder" and "LangFile"
// reads of the run.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "fake/fake_world.h"
#include "host/folder_path.h"
#include "host/install_location.h"
#include "host/shared_registry.h"
#include "platform/codes.h"

namespace {

using namespace nimbra;
using platform::RegistryRoot;

constexpr std::string_view kBase = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr std::string_view kEntry = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Nimbra";

void check(bool condition) {
  if (!condition) std::abort();
}

void checkPureFunctions(const std::string& value) {
  if (auto folder = UninstallStringFolder(value)) {
    check(!folder->empty() && folder->back() == '\\');
    check(folder->size() < value.size());
    // The folder is the value's own text, less a leading quotation mark.
    check(value.find(*folder) <= 1);
  }
  std::string twin = Wow6432NodePath(value);
  check(twin == value || twin.size() == value.size() + 12);
  std::string folder = value;
  AddTrailingBackslash(folder);
  check(folder.empty() == value.empty());
  check(folder.empty() || folder.back() == '\\');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  std::string programFiles = input.ConsumeRandomLengthString(300);
  std::string native = input.ConsumeRandomLengthString(300);
  std::string wow = input.ConsumeRandomLengthString(300);
  std::uint32_t type = input.ConsumeBool() ? win::kRegSz : input.ConsumeIntegralInRange<std::uint32_t>(0, 11);
  std::string lastRun = input.ConsumeRemainingBytesAsString();
  for (const std::string* value : {&programFiles, &native, &wow, &lastRun}) checkPureFunctions(*value);

  fake::FakeWorld world;
  world.registry.setString(RegistryRoot::LocalMachine, kBase, "ProgramFilesDir", programFiles, type);
  world.registry.setString(RegistryRoot::LocalMachine, kEntry, "UninstallString", native);
  world.registry.setString(RegistryRoot::LocalMachine, Wow6432NodePath(kEntry), "UninstallString", wow);
  Settings settings;
  settings.productKey = "Nimbra";
  SharedRegistry registry(world.registry, win::kKeyAllAccess | win::kKeyWow64_64Key);
  platform::Platform platform = world.platform();
  check(FindInstallLocations(platform, settings, registry));
  check(settings.installationFolder.back() == '\\');
  check(world.registry.openKeys() == 0);
  check(world.boxes.shown.empty());
  return 0;
}
