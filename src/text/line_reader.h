// Reads a text file line by line, the way the language files and the console
// output are read: a line ends at LF or CR LF, any other CR is dropped, a byte
// 0x1A ends the file. Reads in large blocks; a line is handed out as a view
// into the block and copied only when it straddles two blocks. A line keeps
// at most kMaxLineLength bytes; the rest of a longer one is read past, so no
// file makes a line cost more memory than that.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"

namespace nimbra {

class LineReader {
 public:
  static constexpr std::size_t kBlockSize = 64 * 1024;
  static constexpr std::size_t kMaxLineLength = 64 * 1024;

  explicit LineReader(platform::File& file, std::size_t blockSize = kBlockSize);

  // True when no byte is left (end of file, a 0x1A, or a read error).
  bool atEnd();
  // The next line without its terminator, cut to kMaxLineLength bytes; empty
  // at the end. The view is valid until the next call.
  std::string_view readLine();
  // Skips whole lines up to the next one that begins with prefix, A-Z
  // comparing equal to a-z (after dropped CRs, like every line), and returns
  // that line as readLine() would; nullopt at the end. Searches the blocks for
  // the first two bytes of prefix and compares in place, so that passing over
  // text costs about as much as reading it. prefix[0] must not be a letter,
  // CR, LF or 0x1A.
  std::optional<std::string_view> readLineStartingWith(std::string_view prefix);
  // True once a read of the file has failed; atEnd() is then true as well.
  bool failed() const { return failed_; }

 private:
  bool fill();  // reads the next block when the current one is used up; false at the end

  platform::File& file_;
  std::vector<char> block_;
  std::size_t begin_ = 0;  // first unread byte of block_
  std::size_t end_ = 0;    // end of valid bytes of block_
  bool endOfData_ = false;  // nothing more will be read from the file
  bool failed_ = false;
  std::string joined_;  // a line that straddles blocks, or that held a CR
};

}  // namespace nimbra
