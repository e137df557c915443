// Reads one entry of a language file: from the file itself (opened for each
// call, other readers allowed, writers refused), or from the file's text as
// read once before. Either way the text is scanned from its first line.
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
// The same in text, a file's bytes as read; readFailed: the read that should
// have given the bytes after text failed (the entry is then read as from a
// file whose read fails there).
EntryRead ReadEntry(std::string_view text, bool readFailed, std::string_view key, EntryExtent extent);

}  // namespace nimbra
