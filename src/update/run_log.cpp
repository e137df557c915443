#include "update/run_log.h"

#include <span>
#include <string>

#include "update/log_line.h"

namespace nimbra {

RunLog::RunLog(platform::Platform& platform, std::string_view path)
    : file_(platform.files.openForAppend(path)), clock_(&platform.clock), system_(&platform.system) {}

void RunLog::record(std::string_view ansiRecord) {
  if (file_) record(platform::BoxText(ansiRecord, platform::kSystemCodePage));
}

void RunLog::record(const platform::BoxText& text) {
  if (!file_) return;
  // No character takes fewer bytes in UTF-8 than in an ANSI code page, so a
  // record cut here is still cut, with its mark, by the line's own limit.
  const std::string utf8 = system_->utf8Of(platform::BoxText().append(text, 0, kLogTextLimit + 1));
  const std::string line = LogLine(clock_->localTime(), utf8);
  // One write per line, so that lines of two runs appending at once do not interleave.
  file_->write(std::as_bytes(std::span(line.data(), line.size())));
}

}  // namespace nimbra
