// The whole installer on the fake world, with fuzzed registry values
// ("TheLastRunFolder", "UninstallString", "LangFile"), language files,
// installed pack, command line and answers. Whatever the input: no key or
// file stays open, no temporary file is left, no exception escapes, and the
// exit code 0 means the carried pack is in place byte for byte (a call for
// help aside).
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "deployment/run_options.h"
#include "fake/carried_pack.h"
#include "fake/fake_world.h"
#include "install/temporary_file.h"
#include "platform/codes.h"
#include "update/installer_main.h"

namespace {

using namespace nimbra;
using platform::RegistryRoot;

constexpr std::string_view kProductKey = "Software\\Tarvel\\Nimbra";
constexpr std::string_view kEntry = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Nimbra";
// Every key the run asks for, so that a fuzzed file overriding some of them still gets far.
constexpr std::string_view kBaseLanguage =
    "\r\n\r\n[langname]\r\nEnglish\r\n\r\n[langver]\r\n1\r\n\r\n[langcode]\r\n1033\r\n\r\n[langcharset]\r\n0\r\n\r\n"
    "[progname]\r\nNimbra\r\n\r\n[soundquest]\r\nSound\r\n\r\n[olderfilever]\r\nNewer %1\r\n\r\n"
    "[filecantopen]\r\nCan't open %1\r\n\r\n[installask]\r\nInstall %2 into %1?\r\n\r\n"
    "[liveupdatecaption]\r\nLiveUpdate\r\n\r\n[installdone]\r\n%1 done\r\n\r\n[asktorun]\r\nRun?\r\n\r\n"
    "[noright]\r\nNo rights\r\n\r\n[crickets]\r\nCrickets\r\n";

void check(bool condition) {
  if (!condition) std::abort();
}

std::string lastComponent(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  fake::FakeWorld world;
  const std::uint8_t answers = input.ConsumeIntegral<std::uint8_t>();
  for (int box = 0; box < 8; ++box) world.boxes.answers.push_back(answers >> box & 1 ? win::kIdYes : win::kIdNo);
  const std::string arguments = input.ConsumeRandomLengthString(24);
  world.system.lcid = input.ConsumeBool() ? 1049 : 1033;
  world.system.elevated = input.ConsumeBool();
  switch (input.ConsumeIntegralInRange<int>(0, 3)) {
    case 0: break;
    case 1: world.registry.setString(RegistryRoot::CurrentUser, kProductKey, "TheLastRunFolder", ""); break;
    case 2: world.registry.setString(RegistryRoot::CurrentUser, kProductKey, "TheLastRunFolder", "C:\\Nimbra"); break;
    default:
      world.registry.setString(RegistryRoot::CurrentUser, kProductKey, "TheLastRunFolder",
                               input.ConsumeRandomLengthString(64));
  }
  world.registry.setString(RegistryRoot::LocalMachine, kEntry, "UninstallString", input.ConsumeRandomLengthString(64));
  world.registry.setString(RegistryRoot::CurrentUser, kProductKey, "LangFile", input.ConsumeRandomLengthString(16));
  if (input.ConsumeBool()) world.files.addFile("C:\\Nimbra\\dwix.cok", input.ConsumeRandomLengthString(8));
  const std::string language = input.ConsumeRemainingBytesAsString() + std::string(kBaseLanguage);
  for (const char* folder : {"C:\\Nimbra\\", "C:\\Program Files\\Nimbra\\"}) {
    world.files.addFile(std::string(folder) + "nimbra.exe", "");
    world.files.addFile(std::string(folder) + "language\\english.lng", language);
    world.files.addFile(std::string(folder) + "language\\russian.lng", language);
  }
  world.registry.setString(RegistryRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion",
                           "ProgramFilesDir", "C:\\Program Files");
  const std::string carried = std::string("dwix\x26", 5) + "the carried pack";
  fake::CarryPack(world.resources, "DWIX", "COK", carried);

  platform::Platform platform = world.platform();
  const std::string commandLine = "nimbra-pack-update.exe " + arguments + " log=C:\\fuzz.log";
  const ExitCode code = RunInstaller(platform, commandLine);

  // An exception would have been caught at the entry and logged on a line of its own.
  const std::string log = world.files.contents("C:\\fuzz.log").value_or("");
  for (std::size_t at = 0; at < log.size();) {
    const std::size_t end = std::min(log.find("\r\n", at), log.size());
    const std::string_view line = std::string_view(log).substr(at, end - at);
    check(!line.substr(std::min(line.find(' ') + 1, line.size())).starts_with("unexpected failure"));
    at = end + 2;
  }
  check(world.registry.openKeys() == 0);
  check(world.files.openFiles() == 0);
  for (const std::string& path : world.files.listTree("C:\\")) check(!IsTemporaryNameOf(lastComponent(path), "dwix.cok"));
  // A call for help shows the usage and succeeds without installing anything.
  if (code == ExitCode::Installed && !ReadRunOptions(CommandLineArguments(commandLine)).help) {
    bool inPlace = false;
    for (const std::string& path : world.files.listTree("C:\\"))
      if (lastComponent(path) == "dwix.cok" && world.files.contents(path) == carried) inPlace = true;
    check(inPlace);
  }
  return 0;
}
