#include "deployment/log_line.h"

#include <algorithm>
#include <cstdlib>

#include "text/number_text.h"

namespace nimbra {

namespace {

bool ContinuesCharacter(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Cuts text to at most limit bytes, never inside a UTF-8 character.
void CutAtCharacter(std::string& text, std::size_t limit) {
  std::size_t end = limit;
  while (end > 0 && ContinuesCharacter(text[end])) --end;
  text.resize(end);
}

}  // namespace

bool StartsAsALogLine(std::string_view bytes) {
  static constexpr std::string_view kShape = "dddd-dd-ddTdd:dd:dd.ddd+dd:dd ";
  static_assert(kShape.size() == kLogLineStartLength);
  if (bytes.size() < kShape.size()) return false;
  for (std::size_t at = 0; at < kShape.size(); ++at) {
    const char c = bytes[at];
    const bool fits = kShape[at] == 'd' ? c >= '0' && c <= '9' : kShape[at] == '+' ? c == '+' || c == '-' : c == kShape[at];
    if (!fits) return false;
  }
  return true;
}

std::string IsoTimestamp(const platform::LocalTime& time) {
  const auto number = [](int value, int digits) { return PaddedDecimal(static_cast<std::uint32_t>(value), digits); };
  const int offset = std::abs(time.utcOffsetMinutes);
  return number(time.year, 4) + '-' + number(time.month, 2) + '-' + number(time.day, 2) + 'T' + number(time.hour, 2) +
         ':' + number(time.minute, 2) + ':' + number(time.second, 2) + '.' + number(time.millisecond, 3) +
         (time.utcOffsetMinutes < 0 ? '-' : '+') + number(offset / 60, 2) + ':' + number(offset % 60, 2);
}

std::string OneLogLine(std::string_view utf8Record) {
  std::string line;
  line.reserve(std::min(utf8Record.size(), kLogTextLimit + 4));
  for (std::size_t at = 0; at < utf8Record.size() && line.size() <= kLogTextLimit; ++at) {
    const char c = utf8Record[at];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && at + 1 < utf8Record.size() && utf8Record[at + 1] == '\n') ++at;
      line += " | ";
    } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      line += ' ';
    } else {
      line += c;
    }
  }
  if (line.size() > kLogTextLimit) {
    CutAtCharacter(line, kLogTextLimit - 3);
    line += "...";
  }
  return line;
}

std::string LogLine(const platform::LocalTime& time, std::string_view utf8Record) {
  return IsoTimestamp(time) + " " + OneLogLine(utf8Record) + "\r\n";
}

}  // namespace nimbra
