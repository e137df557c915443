// The clocks and the sleep of kernel32.
#pragma once

#include "platform/clock.h"

namespace nimbra::win32 {

class Win32Clock final : public platform::Clock {
 public:
  std::optional<std::int64_t> performanceCounter() override;
  std::uint32_t tickCount() override;
  void sleep(std::uint32_t milliseconds) override;
  platform::LocalTime localTime() override;
};

}  // namespace nimbra::win32
