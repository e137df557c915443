// Reads one entry of a language file straight from the file: no index and no
// cache, so every call opens the file (other readers allowed, writers
// refused) and scans it from its first line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "text/line_reader.h"

namespace nimbra {

enum class EntryExtent {
  FirstLine,  // the first value line only
  AllLines,   // the first value line and the lines after it up to a blank line or the end
};

struct EntryRead {
  // The value lines joined by CR LF, cut at kTextLimit bytes. Empty when the
  // key is absent: no key line, a key line that is the last line, or an empty
  // first value line.
  std::string text;
  // The file could not be opened or a read failed; text then holds the whole
  // lines read before the failure.
  bool failed = false;
};

// The entry of the first key line for key in the file at path.
EntryRead ReadEntry(platform::FileSystem& files, std::string_view path, std::string_view key, EntryExtent extent,
                    std::size_t blockSize = LineReader::kBlockSize);

}  // namespace nimbra
