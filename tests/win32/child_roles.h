// The parts this test executable plays when a test starts a copy of it as
// another process: holding a file or a mapping, or writing down what it sees.
#pragma once

#include <optional>

namespace nimbra::win32::testing {

// Runs the role named by argv[1] and returns the process exit code; nullopt when
// argv names no role (then the executable runs the tests).
std::optional<int> runChildRole(int argc, char** argv);

}  // namespace nimbra::win32::testing
