// The one place that decides whether a box of the run is shown. Every part of
// the run shows its boxes through the platform it is given; the entry gives
// it this gate in front of the real boxes. A quiet run shows none: a question
// gets No, any other box OK, as if the person had taken the safe choice. With
// a log, each question is recorded with its answer and each error with its text.
// The run's watchdog is paused while a box is up: a person takes their time.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/message_boxes.h"
#include "platform/watchdog.h"
#include "deployment/run_log.h"

namespace nimbra {

class BoxGate : public platform::MessageBoxes {
 public:
  BoxGate(platform::MessageBoxes& boxes, RunLog& log, bool quiet, platform::Watchdog& watchdog)
      : boxes_(boxes), log_(log), quiet_(quiet), watchdog_(watchdog) {}

  int messageBox(const platform::BoxText& text, const platform::BoxText& caption, std::uint32_t style) override;
  int messageBoxEx(const platform::BoxText& text, const platform::BoxText& caption, std::uint32_t style,
                   std::uint16_t language) override;

 private:
  // language: that of MessageBoxExW; none for MessageBoxW.
  int pass(const platform::BoxText& text, const platform::BoxText& caption, std::uint32_t style,
           std::optional<std::uint16_t> language);
  // The box itself, while the watchdog is paused.
  int show(const platform::BoxText& text, const platform::BoxText& caption, std::uint32_t style,
           std::optional<std::uint16_t> language);

  platform::MessageBoxes& boxes_;
  RunLog& log_;
  bool quiet_;
  platform::Watchdog& watchdog_;
};

}  // namespace nimbra
