#include "deployment/run_log.h"

#include <array>
#include <optional>
#include <span>
#include <string>

#include "platform/path_form.h"
#include "text/ascii_case.h"

#include "deployment/log_line.h"

namespace nimbra {

namespace {

// Empty, or begun by a line of this log: read through the handle that will
// write, so that what was checked is what is written to.
bool HoldsNothingButThisLog(platform::File& file) {
  std::array<std::byte, kLogLineStartLength> start{};
  std::size_t filled = 0;
  while (filled < start.size()) {
    const std::optional<std::size_t> got = file.read(std::span(start).subspan(filled));
    if (!got) return false;
    if (*got == 0) break;
    filled += *got;
  }
  return filled == 0 || StartsAsALogLine(std::string_view(reinterpret_cast<const char*>(start.data()), filled));
}

}  // namespace

bool IsLogFileName(std::string_view path) {
  const std::string_view extension = path.size() >= 4 ? path.substr(path.size() - 4) : std::string_view();
  return EqualIgnoringAsciiCase(extension, ".log") || EqualIgnoringAsciiCase(extension, ".txt");
}

void RunLog::open(platform::Platform& platform, std::string_view path) {
  clock_ = &platform.clock;
  system_ = &platform.system;
  if (!IsLogFileName(path) || !platform::IsDriveOrShareFilePath(path)) return;
  std::unique_ptr<platform::File> file = platform.files.openForAppend(path);
  if (file && HoldsNothingButThisLog(*file)) file_ = std::move(file);
}

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
