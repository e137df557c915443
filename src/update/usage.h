// The usage box of "/?", "-?", "/help", "-h" and "--help": the command-line
// words and the exit codes, in English or, under the Cyrillic UI flag, in
// Russian (Windows-1251), like the built-in errors.
#pragma once

#include <string>

#include "platform/message_boxes.h"
#include "update/installer_configuration.h"

namespace nimbra {

std::string UsageText(const InstallerConfiguration& configuration, bool russian);

// One information box with an OK button: MessageBoxA under the English title,
// or MessageBoxExA in language 25 under the Russian program title.
void ShowUsage(platform::MessageBoxes& boxes, const InstallerConfiguration& configuration, bool cyrillicUi);

}  // namespace nimbra
