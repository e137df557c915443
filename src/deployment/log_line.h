// The lines of the installer's log: a local ISO 8601 timestamp, a blank and
// one record, in UTF-8, ending with CR LF. A record never spans two lines
// and never grows beyond kLogTextLimit bytes.
//
//   2026-12-08T11:47:26.412+01:00 exit code 1618
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/clock.h"

namespace nimbra {

inline constexpr std::size_t kLogTextLimit = 2048;

// "2026-12-08T11:47:26.412+01:00": local date and time to the millisecond and
// the distance from UTC ("+00:00" for UTC itself).
std::string IsoTimestamp(const platform::LocalTime& time);

// The record as one bounded line of text: each line break (CR LF, CR or LF)
// becomes " | ", every other control character a blank; beyond the limit it
// is cut at a character boundary and ends with "...". Invalid UTF-8 is kept
// as it is (cut only between bytes that do not continue a character).
std::string OneLogLine(std::string_view utf8Record);

// The whole line as written: timestamp, blank, record, CR LF.
std::string LogLine(const platform::LocalTime& time, std::string_view utf8Record);

// The length of a line's beginning that tells it apart: timestamp and blank.
inline constexpr std::size_t kLogLineStartLength = 30;

// Whether bytes begin as every line of this log begins: a timestamp of the
// form above and a blank.
bool StartsAsALogLine(std::string_view bytes);

}  // namespace nimbra
