// The log that a run writes when the command line names one ("log=PATH").
// Without it, or when the file cannot be opened, every record goes nowhere
// and the run is the same: a log never changes what the installer does.
#pragma once

#include <memory>
#include <string_view>

#include "platform/platform.h"

namespace nimbra {

class RunLog {
 public:
  // A log that records nothing.
  RunLog() = default;
  // Appends to the file at path (see FileSystem::openForAppend); records
  // nothing when it cannot be opened.
  RunLog(platform::Platform& platform, std::string_view path);

  bool enabled() const { return file_ != nullptr; }

  // One line: the local time, then the record, written as UTF-8. A record
  // given as bytes is in the system's ANSI code page, as paths are; a box
  // text keeps each piece's own. A write that fails is not reported.
  void record(std::string_view ansiRecord);
  void record(const platform::BoxText& text);

 private:
  std::unique_ptr<platform::File> file_;
  platform::Clock* clock_ = nullptr;
  platform::SystemInfo* system_ = nullptr;
};

}  // namespace nimbra
