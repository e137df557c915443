// A hidden console child whose standard output comes back through an
// anonymous pipe: no file, no redirection on a command line.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/processes.h"

namespace nimbra::win32 {

// Starts application with commandLine hidden, its standard output the write
// end of a new pipe (the only handle it inherits; before Vista, which cannot
// name it alone, with every inheritable handle of the process), its
// environment only SystemRoot and windir (the Windows folder) and PATH (the
// system folder), whatever ours holds, and reads the pipe while it runs.
// After timeoutMs the child is ended and timedOut is set, even while it
// writes without pause. Returns once the child has ended; what it left in
// the pipe is read, but nothing is awaited from a grandchild that inherited
// the pipe (one that still writes at the time-out sets timedOut).
platform::ChildOutput RunHiddenCapturingOutput(std::string_view application, std::string_view commandLine,
                                               std::uint32_t creationFlags, std::string_view directory,
                                               std::uint32_t timeoutMs);

}  // namespace nimbra::win32
