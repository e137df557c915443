#include "host/os_console.h"

#include "platform/codes.h"
#include "text/line_reader.h"

namespace nimbra {

namespace {

// 26^8 names make a long run of taken ones a sign of something else (a
// folder that refuses every create); give up rather than loop.
constexpr int kMaxNameDraws = 64;
constexpr std::uint32_t kShareReadWrite = win::kShareRead | win::kShareWrite;

// Deletes the file it was given when the scope ends.
class TempFileScope {
 public:
  TempFileScope(platform::FileSystem& files, std::string path) : files_(files), path_(std::move(path)) {}
  ~TempFileScope() { files_.deleteFile(path_); }
  TempFileScope(const TempFileScope&) = delete;
  TempFileScope& operator=(const TempFileScope&) = delete;

 private:
  platform::FileSystem& files_;
  std::string path_;
};

// Every line followed by CR LF; a file that cannot be opened reads as one empty line.
std::string readCapturedOutput(platform::FileSystem& files, const std::string& path) {
  auto opened = files.openFile(path, platform::FileAccess::Read, kShareReadWrite, platform::FileCreation::OpenExisting);
  if (!opened.file) return "\r\n";
  LineReader reader(*opened.file);
  std::string output;
  do {
    output += reader.readLine();
    output += "\r\n";
  } while (!reader.atEnd());
  return output;
}

}  // namespace

std::string ConsoleCommandLine(std::string_view comSpec, std::string_view command, std::string_view outputPath) {
  std::string line;
  bool needsQuotes = comSpec.find_first_of(" \t") != std::string_view::npos && comSpec.find('"') == std::string_view::npos;
  if (needsQuotes) {
    line += '"';
    line += comSpec;
    line += '"';
  } else {
    line += comSpec;
  }
  line += " /c ";
  line += command;
  line += " > \"";
  line += outputPath;
  line += '"';
  return line;
}

std::string TempFolderPrefix(std::string_view temp) {
  std::string folder(temp);
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

std::string RandomTempName(RandomGenerator& random) {
  std::string name(kTempNameLength, 'a');
  for (char& c : name) c = static_cast<char>('a' + random.below(26));
  return name;
}

std::optional<std::string> CreateUniqueTempFile(platform::FileSystem& files, RandomGenerator& random,
                                                std::string_view folder) {
  for (int draw = 0; draw < kMaxNameDraws; ++draw) {
    std::string path = std::string(folder) + RandomTempName(random);
    auto created = files.openFile(path, platform::FileAccess::Write, kShareReadWrite, platform::FileCreation::CreateNew);
    if (created.file) return path;
    // A folder of that name refuses the create with another code than a file does.
    bool taken = created.error == win::kErrorFileExists || created.error == win::kErrorAlreadyExists ||
                 files.fileExists(path) || files.folderExists(path);
    if (!taken) return std::nullopt;
  }
  return std::nullopt;
}

std::string RunConsoleCommand(platform::Platform& platform, RandomGenerator& random, std::string_view command) {
  auto comSpec = platform.system.environmentVariable("ComSpec");
  if (!comSpec || comSpec->empty() || comSpec->size() >= kComSpecBufferSize) return {};

  std::string folder = TempFolderPrefix(platform.system.environmentVariable("Temp").value_or(""));
  // Created before the child runs, so that the redirection can only ever write
  // into a file of our own, which is then the only one deleted.
  auto outputPath = CreateUniqueTempFile(platform.files, random, folder);
  if (!outputPath) return platform.system.oemToAnsi("\r\n");

  std::string output;
  {
    TempFileScope cleanup(platform.files, *outputPath);
    platform.processes.runHiddenAndWait(ConsoleCommandLine(*comSpec, command, *outputPath),
                                        win::kCreateNewConsole | win::kCreateNewProcessGroup);
    output = readCapturedOutput(platform.files, *outputPath);
  }
  return platform.system.oemToAnsi(output);
}

}  // namespace nimbra
