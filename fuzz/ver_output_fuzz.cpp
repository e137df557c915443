// libFuzzer target over outside text that start-up reads: the console output
// of "ver" (as the child writes it, through capture, naming and the fallback
// words) and the process command line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fake/fake_world.h"
#include "host/command_line.h"
#include "host/os_console.h"
#include "host/os_naming.h"

namespace {

using namespace nimbra;

void require(bool condition) {
  if (!condition) std::abort();
}

struct VerOnly : OsQueries {
  std::string ver;
  int verCalls = 0;
  std::string verOutput() override {
    ++verCalls;
    return ver;
  }
  std::optional<std::string> productName() override { return std::nullopt; }
  std::optional<std::string> productOptionsType() override { return std::nullopt; }
  bool hasHotfixQ246009() override { return false; }
};

void fuzzCapture(std::string_view printed) {
  fake::FakeWorld world;
  world.files.addFolder("C:\\Temp");
  world.system.environment["ComSpec"] = "C:\\Windows\\system32\\cmd.exe";
  world.system.environment["Temp"] = "C:\\Temp";
  world.processes.onRun = [&](const std::string& commandLine) {
    auto at = commandLine.rfind("> \"");
    world.files.addFile(commandLine.substr(at + 3, commandLine.size() - at - 4), printed);
    return true;
  };
  platform::Platform platform = world.platform();
  RandomGenerator random{static_cast<std::uint32_t>(printed.size())};
  std::string output = RunConsoleCommand(platform, random, "ver");

  // Every line ends with CR LF, no other CR or LF survives, and the capture is gone.
  require(output.size() >= 2 && output.ends_with("\r\n"));
  for (std::size_t i = 0; i < output.size(); ++i) {
    if (output[i] == '\r') require(i + 1 < output.size() && output[i + 1] == '\n');
    if (output[i] == '\n') require(i > 0 && output[i - 1] == '\r');
  }
  require(output.size() <= 2 * printed.size() + 2);
  require(world.files.listTree("C:\\Temp").empty());
  require(world.files.openFiles() == 0);

  for (bool workstation : {true, false}) {
    std::string words = VerFallbackWords(output, workstation);
    require(words.starts_with(workstation ? " " : "Server  "));
    require(words.size() <= output.size() + 8);
    require(words.find('.') == std::string::npos);

    VerOnly queries;
    queries.ver = output;
    OsFacts facts;
    facts.version = {6, 2, 9200, 2, "", 0, static_cast<std::uint8_t>(workstation ? 1 : 3)};
    facts.extendedRecord = true;
    facts.architecture = 9;
    auto name = NameOperatingSystem(facts, queries);
    require(name && name->name.starts_with("Microsoft Windows ") && name->name.ends_with(" 64-bit"));
    require(queries.verCalls == 1);
    require(NameSays64Bit(ComposeOperatingSystemName(*name)));
  }
}

void fuzzCommandLine(std::string_view commandLine) {
  for (int index = 0; index < 4; ++index) {
    std::string argument = CommandLineArgument(commandLine, index);
    require(argument.size() <= commandLine.size());
    require(argument.find('"') == std::string::npos);
    require(argument.find('\0') == std::string::npos);
    std::string lower = ToLowerAscii(argument);
    require(lower.size() == argument.size());
    for (char c : lower) require(c < 'A' || c > 'Z');
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  fuzzCapture(text);
  fuzzCommandLine(text);
  return 0;
}
