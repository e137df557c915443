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
  world.processes.onRun = [&](const fake::FakeProcesses::Child&) {
    return platform::ChildOutput{true, false, std::string(printed)};
  };
  platform::Platform platform = world.platform();
  std::string output = RunConsoleCommand(platform, "ver");

  // Every line ends with CR LF, no other CR or LF survives, and nothing was written.
  require(output.size() >= 2 && output.ends_with("\r\n"));
  for (std::size_t i = 0; i < output.size(); ++i) {
    if (output[i] == '\r') require(i + 1 < output.size() && output[i + 1] == '\n');
    if (output[i] == '\n') require(i > 0 && output[i - 1] == '\r');
  }
  require(output.size() <= 2 * printed.size() + 2);
  require(world.files.log().empty());

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
