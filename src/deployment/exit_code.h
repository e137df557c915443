// The installer's exit codes: those of the Windows Installer, which deployment
// tools (Intune, Configuration Manager, winget) understand without being told.
// Their values, meanings and what each tool makes of them are one table,
// exit_codes.def, which the deployment kit is written from as well.
#pragma once

namespace nimbra {

enum class ExitCode : int {
#define NIMBRA_EXIT_CODE(name, code, ...) name = code,
#include "deployment/exit_codes.def"
#undef NIMBRA_EXIT_CODE
};

}  // namespace nimbra
