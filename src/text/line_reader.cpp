#include "text/line_reader.h"

#include <algorithm>
#include <cstring>

#include "text/ascii_case.h"
#include "text/byte_search.h"

namespace nimbra {

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
bool startsWithFolded(std::string_view line, std::string_view prefix) {
  return line.size() >= prefix.size() && EqualIgnoringAsciiCase(line.substr(0, prefix.size()), prefix);
}

// False when the line at `at` surely does not begin with prefix; true when it
// may (it does, or the block ends first and the whole line must be read).
bool mayStartWith(const char* at, const char* end, std::string_view prefix) {
  for (std::size_t i = 1; i < prefix.size(); ++i) {
    ++at;
    while (at < end && *at == '\r') ++at;
    if (at == end) return true;
    if (*at == '\n' || ToLowerAscii(*at) != ToLowerAscii(prefix[i])) return false;
  }
  return true;
}

}  // namespace

LineReader::LineReader(platform::File& file, std::size_t blockSize) : file_(file), block_(blockSize) {}

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
    if (lf && !straddles) {
      // The CR of a CR LF needs no copy: the view just stops before it.
      std::size_t content = length > 0 && start[length - 1] == '\r' ? length - 1 : length;
      if (!std::memchr(start, '\r', content)) return {start, std::min(content, kMaxLineLength)};
    }
    appendWithoutCr(joined_, start, length);
    if (joined_.size() > kMaxLineLength) joined_.resize(kMaxLineLength);
    if (lf) break;
    straddles = true;
  }
  return joined_;
}

std::optional<std::string_view> LineReader::readLineStartingWith(std::string_view prefix) {
  // begin_ is at a line start on entry; once a block is passed over, whether
  // the next one starts a line depends on the bytes before its end.
  bool lineStart = true;
  while (fill()) {
    const char* base = block_.data();
    const char* from = base + begin_;
    const char* end = base + end_;
    // Only CRs (which are dropped) may stand between a line's LF and its first byte.
    auto startsLine = [&](const char* at) {
      while (at > from && at[-1] == '\r') --at;
      return at > from ? at[-1] == '\n' : lineStart;
    };
    const char* candidate = nullptr;
    for (const char* search = from; !candidate;) {
      const char* hit = prefix.size() > 1 ? FindBytePair(search, end, prefix[0], ToLowerAscii(prefix[1]))
                                          : static_cast<const char*>(std::memchr(search, prefix[0], end - search));
      if (!hit || hit == end) break;
      if (startsLine(hit) && mayStartWith(hit, end, prefix)) candidate = hit;
      search = hit + 1;
    }
    if (!candidate) {
      lineStart = startsLine(end);
      begin_ = end_;
      continue;
    }
    begin_ = static_cast<std::size_t>(candidate - base);
    std::string_view line = readLine();
    if (startsWithFolded(line, prefix)) return line;
    lineStart = true;
  }
  return std::nullopt;
}

}  // namespace nimbra
