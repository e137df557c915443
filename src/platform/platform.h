// The whole platform, as one bundle of references that the entry wires to the
// real Windows implementation and the tests to the fake world.
#pragma once

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/message_boxes.h"
#include "platform/module_resources.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/system_info.h"
#include "platform/watchdog.h"

namespace nimbra::platform {

struct Platform {
  Registry& registry;
  FileSystem& files;
  MessageBoxes& boxes;
  Processes& processes;
  SystemInfo& system;
  Clock& clock;
  ModuleResources& resources;
  Watchdog& watchdog;
};

}  // namespace nimbra::platform
