// The real Windows platform: one of each implementation, handed out as the
// bundle of interfaces that the core takes. It must outlive every use of the
// bundle; it is neither copied nor moved, since the bundle refers into it.
#pragma once

#include "platform/platform.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_message_boxes.h"
#include "platform/win32/win32_module_resources.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_system_info.h"
#include "platform/win32/win32_watchdog.h"

namespace nimbra::win32 {

class Win32Platform {
 public:
  Win32Platform() = default;
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  platform::Platform platform() {
    return {registry_, files_, boxes_, processes_, system_, clock_, resources_, watchdog_};
  }

 private:
  Win32Registry registry_;
  Win32FileSystem files_;
  Win32MessageBoxes boxes_;
  Win32Processes processes_;
  Win32SystemInfo system_;
  Win32Clock clock_;
  Win32ModuleResources resources_;
  Win32Watchdog watchdog_;
};

}  // namespace nimbra::win32
