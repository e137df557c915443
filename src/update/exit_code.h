// The installer's exit codes, fixed and documented (README): a deployment
// tool or Nimbra itself tells from them how a run ended. A retired value is
// never reused.
#pragma once

namespace nimbra {

enum class ExitCode : int {
  Installed = 0,         // the run reached its end with the pack installed
  CheckFailed = 1,       // no Nimbra installed, language files unusable, registry not accessible
  Declined = 2,          // the user answered No to "olderfilever" or "installask"
  NotAdministrator = 3,  // no administrator rights
  PackInUse = 4,         // the installed pack could not be opened, or another process held it during the write
  WriteFailed = 5,       // the pack could not be written for another reason
};

}  // namespace nimbra
