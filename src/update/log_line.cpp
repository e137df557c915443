#include "update/log_line.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

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

std::string IsoTimestamp(const platform::LocalTime& time) {
  const int offset = std::abs(time.utcOffsetMinutes);
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d", time.year, time.month,
                time.day, time.hour, time.minute, time.second, time.millisecond,
                time.utcOffsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
  return text;
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
