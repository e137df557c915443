// What the installer turns on before it does anything else, since it runs
// elevated in folders that other programs of the user can write to.
#pragma once

namespace nimbra::win32 {

// Loads DLLs from System32 only (or, without SetDefaultDllDirectories, at
// least not from the current directory), and where the system offers it
// (Windows 11 22H2 on), refuses junctions and other redirections that a
// non-administrator created. Whatever the system lacks is skipped.
void HardenProcess();

}  // namespace nimbra::win32
