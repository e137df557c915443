#include "lang/entry_reader.h"

#include <algorithm>
#include <cstring>

#include "lang/language_format.h"
#include "platform/codes.h"

namespace nimbra {

namespace {

// A file's text as read before, served as the file would serve it.
class TextFile final : public platform::File {
 public:
  TextFile(std::string_view text, bool readFailed) : text_(text), readFailed_(readFailed) {}
  std::optional<std::size_t> read(std::span<std::byte> buffer) override {
    if (text_.empty()) {
      if (!readFailed_) return 0;
      error_ = win::kErrorReadFault;
      return std::nullopt;
    }
    const std::size_t n = std::min(buffer.size(), text_.size());
    std::memcpy(buffer.data(), text_.data(), n);
    text_.remove_prefix(n);
    return n;
  }
  std::optional<std::size_t> write(std::span<const std::byte>) override { return std::nullopt; }
  bool flush() override { return false; }
  std::uint32_t error() const override { return error_; }

 private:
  std::string_view text_;
  bool readFailed_;
  std::uint32_t error_ = 0;
};

EntryRead ReadEntryFrom(platform::File& file, std::string_view key, EntryExtent extent, std::size_t blockSize) {
  LineReader reader(file, blockSize);

  // A key line is a line that begins with "[" + key + "]" (A-Z folded), which
  // the reader finds without splitting the lines before it.
  std::string keyLine;
  keyLine.reserve(key.size() + 2);
  keyLine.append(1, '[').append(key).append(1, ']');
  for (;;) {
    auto line = reader.readLineStartingWith(keyLine);
    if (!line) return {{}, reader.failed()};
    if (IsKeyLine(*line, key)) break;
  }

  // A line cut short by a read error was never read whole and does not count.
  if (reader.atEnd()) return {{}, reader.failed()};
  std::string_view first = reader.readLine();
  if (reader.failed()) return {{}, true};
  EntryRead result{std::string(first), false};
  if (first.empty() || extent == EntryExtent::FirstLine) return result;

  while (!reader.atEnd()) {
    std::string_view line = reader.readLine();
    if (reader.failed()) break;
    if (IsBlankLine(line)) return result;
    result.text.append("\r\n").append(line);
    // A value of more lines than any box could show reads no further.
    if (result.text.size() >= kTextLimit) {
      result.text.resize(kTextLimit);
      return result;
    }
  }
  result.failed = reader.failed();
  return result;
}

}  // namespace

EntryRead ReadEntry(platform::FileSystem& files, std::string_view path, std::string_view key, EntryExtent extent,
                    std::size_t blockSize) {
  auto opened = files.openFile(path, platform::FileAccess::Read, win::kShareRead, platform::FileCreation::OpenExisting);
  if (!opened.file) return {{}, true};
  return ReadEntryFrom(*opened.file, key, extent, blockSize);
}

EntryRead ReadEntry(std::string_view text, bool readFailed, std::string_view key, EntryExtent extent) {
  TextFile file(text, readFailed);
  return ReadEntryFrom(file, key, extent, LineReader::kBlockSize);
}

}  // namespace nimbra
