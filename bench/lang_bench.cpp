// The cost of the language unit's reading model (no index, no cache: every
// lookup reads the file from its start) on real files, set against a plain
// sequential read of the same bytes in the same run. Prints both throughputs
// and their ratio; the goal is a scan at least half as fast as the plain read.
//
// Files are real files in a temporary folder, read through a small POSIX
// implementation of the FileSystem interface, so that both sides pay the same
// system calls and page-cache copies; the fake's in-memory reads would make
// the plain read nearly free and the ratio meaningless.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "fake/fake_world.h"
#include "host/settings.h"
#include "host/shared_registry.h"
#include "lang/catalogue.h"
#include "lang/language_files.h"
#include "platform/codes.h"
#include "text/line_reader.h"

namespace {

using namespace nimbra;
namespace fs = std::filesystem;

constexpr int kFileCount = 40;
constexpr int kEntriesPerFile = 2000;
constexpr std::size_t kBigFileSize = 1 << 20;

// Maps "C:\a\b" to <root>/a/b and counts every byte read; folders are
// opened as the installer opens them, and their files through them.
class PosixFileSystem : public platform::FileSystem {
 public:
  explicit PosixFileSystem(fs::path root) : root_(std::move(root)) {}
  std::uint64_t bytesRead = 0;

  platform::OpenedFile openFile(std::string_view path, platform::FileAccess access, std::uint32_t,
                                platform::FileCreation) override {
    if (access != platform::FileAccess::Read) return {nullptr, win::kErrorAccessDenied};
    int fd = ::open(local(path).c_str(), O_RDONLY);
    if (fd < 0) return {nullptr, win::kErrorFileNotFound};
    return {std::make_unique<PosixFile>(fd, bytesRead), 0};
  }
  std::unique_ptr<platform::File> openForAppend(std::string_view) override { return nullptr; }
  platform::OpenedFolder openFolder(std::string_view path) override {
    std::string trimmed(path);
    while (trimmed.size() > 3 && trimmed.back() == '\\') trimmed.pop_back();
    if (!fs::is_directory(local(trimmed))) return {nullptr, win::kErrorPathNotFound};
    return {std::make_unique<PosixFolder>(*this, trimmed), 0};
  }

 private:
  class PosixFile : public platform::File {
   public:
    PosixFile(int fd, std::uint64_t& counter) : fd_(fd), counter_(counter) {}
    ~PosixFile() override { ::close(fd_); }
    std::optional<std::size_t> read(std::span<std::byte> buffer) override {
      ssize_t got = ::read(fd_, buffer.data(), buffer.size());
      if (got < 0) return std::nullopt;
      counter_ += static_cast<std::uint64_t>(got);
      return static_cast<std::size_t>(got);
    }
    std::optional<std::size_t> write(std::span<const std::byte>) override { return std::nullopt; }
    bool flush() override { return false; }
    std::uint32_t error() const override { return win::kErrorAccessDenied; }

   private:
    int fd_;
    std::uint64_t& counter_;
  };

  class PosixFolder : public platform::Folder {
   public:
    PosixFolder(PosixFileSystem& files, std::string path) : files_(files), path_(std::move(path)) {}
    platform::OpenedFile openFile(std::string_view name, platform::FileAccess access, std::uint32_t share,
                                  platform::FileCreation creation) override {
      return files_.openFile(path_ + "\\" + std::string(name), access, share, creation);
    }
    std::vector<platform::DirectoryEntry> list(std::size_t most) override {
      std::vector<platform::DirectoryEntry> out;
      if (DIR* dir = ::opendir(files_.local(path_).c_str())) {
        while (dirent* entry = ::readdir(dir)) {
          std::string name = entry->d_name;
          if (name != "." && name != ".." && out.size() < most) out.push_back({name, win::kAttributeArchive, 0});
        }
        ::closedir(dir);
      }
      return out;
    }
    std::unique_ptr<platform::Folder> openFolder(std::string_view name) override {
      return files_.openFolder(path_ + "\\" + std::string(name)).folder;
    }
    const std::string& path() const override { return path_; }

   private:
    PosixFileSystem& files_;
    std::string path_;
  };

  std::string local(std::string_view path) const {
    std::string tail(path.substr(path.find('\\') == std::string_view::npos ? 0 : path.find('\\') + 1));
    for (char& c : tail)
      if (c == '\\') c = '/';
    return (root_ / tail).string();
  }

  fs::path root_;
};

std::string header(int index, const std::string& code) {
  return "[langname]\r\nLanguage " + std::to_string(index) + "\r\n\r\n[langver]\r\n5\r\n\r\n[langcode]\r\n" + code +
         "\r\n\r\n[langcharset]\r\n0\r\n\r\n[progname]\r\nNimbra update\r\n\r\n[ProgDescr0]\r\nSound packs\r\n\r\n";
}

// About 2,000 entries of one to three lines of ordinary message length.
std::string messages(int count, std::size_t atLeast = 0) {
  std::string text;
  for (int i = 0; i < count || text.size() < atLeast; ++i) {
    text += "[message" + std::to_string(i) + "]\r\nThe text of message " + std::to_string(i) +
            ", a sentence of the length that a dialog box shows.\r\n";
    if (i % 3 == 0) text += "A second line with %1 in it.\r\n";
    if (i % 7 == 0) text += "  A third line, indented.\r\n";
    text += "\r\n";
  }
  return text;
}

struct Fixture {
  fs::path root;
  PosixFileSystem files;
  fake::FakeWorld world;
  platform::Platform platform{world.registry, files, world.boxes, world.processes, world.system, world.clock,
                              world.resources, world.watchdog};
  std::vector<std::string> languagePaths[2];  // headers first, headers last
  std::string bigPath;

  explicit Fixture(fs::path where) : root(std::move(where)), files(root) {
    for (int layout = 0; layout < 2; ++layout) {
      fs::path folder = root / (layout == 0 ? "HeadersFirst" : "HeadersLast") / "language";
      fs::create_directories(folder);
      for (int i = 0; i < kFileCount; ++i) {
        std::string name = i == 0 ? "english.lng" : i == 1 ? "russian.lng" : "lang" + std::to_string(i) + ".lng";
        std::string head = header(i, std::to_string(1000 + i));
        std::string body = messages(kEntriesPerFile);
        std::ofstream(folder / name, std::ios::binary) << (layout == 0 ? head + body : body + head);
        languagePaths[layout].push_back((folder / name).string());
      }
    }
    fs::create_directories(root / "Big" / "language");
    bigPath = (root / "Big" / "language" / "english.lng").string();
    std::string big = messages(0, kBigFileSize);
    big.resize(kBigFileSize, '\n');
    std::ofstream(bigPath, std::ios::binary) << big;
  }
  ~Fixture() { fs::remove_all(root); }
};

Fixture* fixture = nullptr;

Settings settingsFor(std::string_view folder) {
  Settings settings;
  settings.productKey = "Nimbra";
  settings.installationFolder = "C:\\" + std::string(folder) + "\\";
  settings.userLcid = 1033;
  return settings;
}

void plainRead(const std::string& path, std::vector<char>& block) {
  int fd = ::open(path.c_str(), O_RDONLY);
  while (::read(fd, block.data(), block.size()) > 0) benchmark::ClobberMemory();
  ::close(fd);
}

// Headers first is how language files are written; headers last makes every
// header lookup pass over the whole file.
void BM_LoadLanguageFiles(benchmark::State& state, const char* folder) {
  fixture->files.bytesRead = 0;
  for (auto _ : state) {
    Settings settings = settingsFor(folder);
    SharedRegistry registry(fixture->world.registry, win::kKeyAllAccess);
    LanguageFiles languages;
    auto installation = fixture->files.openFolder(settings.installationFolder).folder;
    if (!installation || !LoadLanguageFiles(fixture->platform, settings, registry, *installation, languages))
      state.SkipWithError("load failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(fixture->files.bytesRead));
  state.counters["bytes_per_load"] =
      static_cast<double>(fixture->files.bytesRead) / static_cast<double>(state.iterations());
}
BENCHMARK_CAPTURE(BM_LoadLanguageFiles, headers_first, "HeadersFirst")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadLanguageFiles, headers_last, "HeadersLast")->Unit(benchmark::kMillisecond);

void BM_PlainReadLanguageFiles(benchmark::State& state) {
  std::vector<char> block(LineReader::kBlockSize);
  std::int64_t bytes = 0;
  for (auto _ : state)
    for (const std::string& path : fixture->languagePaths[1]) {
      plainRead(path, block);
      bytes += static_cast<std::int64_t>(fs::file_size(path));
    }
  state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_PlainReadLanguageFiles)->Unit(benchmark::kMillisecond);

void BM_AbsentKeyLookup1MB(benchmark::State& state) {
  Settings settings = settingsFor("Big");
  LanguageFiles languages;
  languages.setSelected(languages.add("english.lng"));
  languages.setFolder(fixture->files.openFolder(settings.installationFolder + "language").folder);
  MessageCatalogue catalogue(fixture->platform, settings, languages);
  for (auto _ : state) benchmark::DoNotOptimize(catalogue.GetMessageText("nosuchkey"));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(kBigFileSize));
}
BENCHMARK(BM_AbsentKeyLookup1MB)->Unit(benchmark::kMicrosecond);

void BM_PlainRead1MB(benchmark::State& state) {
  std::vector<char> block(LineReader::kBlockSize);
  for (auto _ : state) plainRead(fixture->bigPath, block);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(kBigFileSize));
}
BENCHMARK(BM_PlainRead1MB)->Unit(benchmark::kMicrosecond);

// Keeps each run's throughput for the ratios printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> throughput;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      auto found = run.counters.find("bytes_per_second");
      if (found != run.counters.end() && run.run_type == Run::RT_Iteration)
        throughput[run.benchmark_name()] = found->second;
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  char pattern[] = "/tmp/nimbra-lang-bench-XXXXXX";
  if (!::mkdtemp(pattern)) return 1;
  Fixture data{fs::path(pattern)};
  fixture = &data;

  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  auto ratio = [&](const char* scan, const char* plain) {
    auto s = reporter.throughput.find(scan), p = reporter.throughput.find(plain);
    if (s == reporter.throughput.end() || p == reporter.throughput.end()) return;
    std::printf("%-40s %8.1f MB/s  vs plain read %8.1f MB/s  ratio %.2f (goal >= 0.50)\n", scan, s->second / 1e6,
                p->second / 1e6, s->second / p->second);
  };
  std::printf("\n");
  ratio("BM_LoadLanguageFiles/headers_first", "BM_PlainReadLanguageFiles");
  ratio("BM_LoadLanguageFiles/headers_last", "BM_PlainReadLanguageFiles");
  ratio("BM_AbsentKeyLookup1MB", "BM_PlainRead1MB");
  return 0;
}
