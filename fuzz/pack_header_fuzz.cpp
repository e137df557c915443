// The installed pack's header on arbitrary bytes: the version the probe
// reads (byte 4 less 32, or -32 for a file of fewer than five bytes), with
// the file handed over by a fake file system in pieces of any size.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "fake/fake_world.h"
#include "host/settings.h"
#include "lang/catalogue.h"
#include "lang/language_files.h"
#include "update/pack_probe.h"

namespace {

using namespace nimbra;

void check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::byte> bytes(reinterpret_cast<const std::byte*>(data), size);
  const std::int32_t expected = size > 4 ? static_cast<std::int32_t>(data[4]) - kPackVersionBias : -kPackVersionBias;
  check(PackVersionFromHeader(bytes.first(std::min<std::size_t>(size, 5))) == expected);

  fake::FakeWorld world;
  const std::string path = "C:\\Nimbra\\dwix.cok";
  world.files.addFile(path, std::string(reinterpret_cast<const char*>(data), size));
  Settings settings;
  LanguageFiles languages;
  platform::Platform platform = world.platform();
  MessageCatalogue catalogue(platform, settings, languages);
  auto folder = world.files.openFolder("C:\\Nimbra").folder;
  auto version = ProbeInstalledPackVersion(platform, settings, catalogue, *folder, "dwix.cok", path).version;
  check(version == expected);
  check(*version >= -kPackVersionBias && *version <= 255 - kPackVersionBias);
  check(CarriedPackIsOlder(*version, 6) == (*version > 6));
  check(world.files.openFiles() == 0);
  check(world.boxes.shown.empty());
  return 0;
}
