// The text of a message box (or its caption) as bytes in pieces, each piece
// in its own code page: a path in the system's code page keeps its characters
// inside a Russian text in Windows-1251. The bytes stay exactly what they
// are; only the platform, when it shows the box, reads each piece in its code
// page (MultiByteToWideChar numbering).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace nimbra::platform {

// Whatever the system's ANSI code page is (CP_ACP): paths, folders, names the
// system hands out, and ASCII, which reads the same in every such code page.
inline constexpr std::uint32_t kSystemCodePage = 0;
// Windows-1251, the code page of the built-in Russian texts.
inline constexpr std::uint32_t kCyrillicCodePage = 1251;

struct TextPiece {
  std::string bytes;
  std::uint32_t codePage = kSystemCodePage;
  bool operator==(const TextPiece&) const = default;
};

class BoxText {
 public:
  BoxText() = default;
  BoxText(std::string_view bytes, std::uint32_t codePage) { append(bytes, codePage); }

  BoxText& append(std::string_view bytes, std::uint32_t codePage);
  BoxText& append(const BoxText& text) { return append(text, 0, text.size()); }
  // count bytes of text from offset, each in the code page it has there.
  BoxText& append(const BoxText& text, std::size_t offset, std::size_t count);
  BoxText& operator+=(const BoxText& text) { return append(text); }

  // All pieces' bytes, joined.
  const std::string& bytes() const { return bytes_; }
  std::size_t size() const { return bytes_.size(); }
  bool empty() const { return bytes_.empty(); }
  // The longest runs of one code page, in order; none for an empty text.
  std::vector<TextPiece> pieces() const;

  bool operator==(const BoxText&) const = default;

 private:
  struct Run {
    std::size_t end;  // one past the run's last byte
    std::uint32_t codePage;
    bool operator==(const Run&) const = default;
  };
  std::string bytes_;
  std::vector<Run> runs_;
};

inline BoxText operator+(BoxText left, const BoxText& right) { return left.append(right); }

inline BoxText& BoxText::append(std::string_view bytes, std::uint32_t codePage) {
  if (bytes.empty()) return *this;
  bytes_.append(bytes);
  // Neighbours in one code page are one piece: a double-byte character or a
  // UTF-8 sequence is then never cut in two for the conversion.
  if (!runs_.empty() && runs_.back().codePage == codePage) runs_.back().end = bytes_.size();
  else runs_.push_back({bytes_.size(), codePage});
  return *this;
}

inline BoxText& BoxText::append(const BoxText& text, std::size_t offset, std::size_t count) {
  if (&text == this) {
    const BoxText copy = text;
    return append(copy, offset, count);
  }
  if (offset >= text.size()) return *this;
  const std::size_t end = offset + std::min(count, text.size() - offset);
  std::size_t start = offset;
  for (const Run& run : text.runs_) {
    if (start >= end) break;
    if (run.end <= start) continue;
    const std::size_t stop = std::min(run.end, end);
    append(std::string_view(text.bytes_).substr(start, stop - start), run.codePage);
    start = stop;
  }
  return *this;
}

inline std::vector<TextPiece> BoxText::pieces() const {
  std::vector<TextPiece> pieces;
  std::size_t start = 0;
  for (const Run& run : runs_) {
    pieces.push_back({bytes_.substr(start, run.end - start), run.codePage});
    start = run.end;
  }
  return pieces;
}

}  // namespace nimbra::platform
