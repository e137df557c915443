// The log that a run writes when the command line names one ("log=PATH").
// Without it, or when the file cannot be opened, every record goes nowhere
// and the run is the same: a log never changes what the installer does.
//
// The installer runs elevated and the path comes from the command line, so a
// log can only ever be a log: a file of a drive or share folder
// (platform::IsDriveOrShareFilePath: no pipe, device, stream or relative
// path), its name ending in ".log" or ".txt", and a file that is there
// already and not empty is appended to only when it begins as this log's
// lines begin. Anything else (a script, a settings file) is left as it is,
// and the run goes on without a log.
#pragma once

#include <atomic>
#include <memory>
#include <string_view>

#include "platform/platform.h"

namespace nimbra {

// Whether a path names a file a log may be: ".log" or ".txt", in any case.
bool IsLogFileName(std::string_view path);

class RunLog {
 public:
  // A log that records nothing (until opened).
  RunLog() = default;
  RunLog(platform::Platform& platform, std::string_view path) { open(platform, path); }
  // Appends to the file at path (see FileSystem::openForAppend); records
  // nothing when it cannot be opened or may not be written (above). A path
  // of another form is refused before anything opens it. Once only, before
  // any record.
  void open(platform::Platform& platform, std::string_view path);

  bool enabled() const { return file_ != nullptr; }

  // One line: the local time, then the record, written as UTF-8. A record
  // given as bytes is in the system's ANSI code page, as paths are; a box
  // text keeps each piece's own. A write that fails is not reported.
  void record(std::string_view ansiRecord);
  void record(const platform::BoxText& text);

  // Where the run stands, for a record made from another thread (the
  // watchdog's): a string literal that reads after "while", e.g. "reading
  // the language files". Records, and the step, may come from two threads at
  // once: each record is one append of its own.
  void atStep(const char* step) { step_.store(step, std::memory_order_relaxed); }
  const char* step() const { return step_.load(std::memory_order_relaxed); }

 private:
  std::unique_ptr<platform::File> file_;
  platform::Clock* clock_ = nullptr;
  platform::SystemInfo* system_ = nullptr;
  std::atomic<const char*> step_{"starting up"};
};

}  // namespace nimbra
