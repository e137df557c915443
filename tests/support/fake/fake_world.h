// The in-memory world of the native tests: one fake per platform interface,
// wired together (files share the clock, the current directory is the file
// tree's), with one fault plan for injecting failures into any call.
//
//   FakeWorld world;
//   world.files.addFile("C:\\Nimbra\\nimbra.exe", "");
//   world.boxes.answers = {win::kIdNo};
//   RunSomething(world.platform());
//   EXPECT_EQ(world.boxes.shown.size(), 1u);
#pragma once

#include "fake/fake_clock.h"
#include "fake/fake_file_system.h"
#include "fake/fake_message_boxes.h"
#include "fake/fake_module_resources.h"
#include "fake/fake_processes.h"
#include "fake/fake_registry.h"
#include "fake/fake_system_info.h"
#include "fake/fake_watchdog.h"
#include "fake/fault_plan.h"
#include "platform/platform.h"

namespace nimbra::fake {

struct FakeWorld {
  FaultPlan faults;
  FakeClock clock;
  FakeRegistry registry{faults};
  FakeFileSystem files{faults, clock};
  FakeMessageBoxes boxes;
  FakeProcesses processes{faults, files};
  FakeSystemInfo system;
  FakeModuleResources resources{faults};
  FakeWatchdog watchdog;

  platform::Platform platform() { return {registry, files, boxes, processes, system, clock, resources, watchdog}; }
};

}  // namespace nimbra::fake
