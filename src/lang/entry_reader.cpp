#include "lang/entry_reader.h"

#include "lang/language_format.h"
#include "platform/codes.h"

namespace nimbra {

EntryRead ReadEntry(platform::FileSystem& files, std::string_view path, std::string_view key, EntryExtent extent,
                    std::size_t blockSize) {
  auto opened = files.openFile(path, platform::FileAccess::Read, win::kShareRead, platform::FileCreation::OpenExisting);
  if (!opened.file) return {{}, true};
  LineReader reader(*opened.file, blockSize);

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

}  // namespace nimbra
