#include "platform/line_reader.h"

#include <algorithm>
#include <cstring>

namespace nimbra::platform {

namespace {
constexpr char kEndOfFile = 0x1A;

void appendWithoutCr(std::string& out, const char* data, std::size_t size) {
  const char* end = data + size;
  while (data < end) {
    const char* cr = static_cast<const char*>(std::memchr(data, '\r', end - data));
    const char* stop = cr ? cr : end;
    out.append(data, stop);
    data = cr ? cr + 1 : end;
  }
}
}  // namespace

LineReader::LineReader(File& file, std::size_t blockSize) : file_(file), block_(blockSize) {}

bool LineReader::fill() {
  if (begin_ < end_) return true;
  if (endOfData_) return false;
  begin_ = end_ = 0;
  auto got = file_.read(std::as_writable_bytes(std::span(block_)));
  if (!got) {
    failed_ = true;
    endOfData_ = true;
    return false;
  }
  if (*got == 0) {
    endOfData_ = true;
    return false;
  }
  end_ = *got;
  // Everything from a Ctrl-Z on is not part of the text.
  if (const void* eof = std::memchr(block_.data(), kEndOfFile, end_)) {
    end_ = static_cast<const char*>(eof) - block_.data();
    endOfData_ = true;
  }
  return begin_ < end_;
}

bool LineReader::atEnd() { return !fill(); }

std::string_view LineReader::readLine() {
  joined_.clear();
  bool straddles = false;
  while (fill()) {
    const char* start = block_.data() + begin_;
    std::size_t available = end_ - begin_;
    const char* lf = static_cast<const char*>(std::memchr(start, '\n', available));
    std::size_t length = lf ? static_cast<std::size_t>(lf - start) : available;
    begin_ += length + (lf ? 1 : 0);
    if (lf && !straddles && !std::memchr(start, '\r', length)) return {start, length};
    appendWithoutCr(joined_, start, length);
    if (lf) break;
    straddles = true;
  }
  return joined_;
}

}  // namespace nimbra::platform
