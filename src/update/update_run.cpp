#include "update/update_run.h"

#include <string>

#include "host/command_line.h"
#include "host/folder_path.h"
#include "host/install_location.h"
#include "host/product_key.h"
#include "host/uninstall_registration.h"
#include "install/resource_installer.h"
#include "lang/catalogue.h"
#include "lang/presentation.h"
#include "platform/codes.h"
#include "update/nimbra_instance.h"
#include "update/pack_probe.h"

namespace nimbra {

namespace {

// Questions share one look: Yes/No, question icon, task-modal, topmost, in the
// language of the selected file. Only Yes counts as Yes.
bool AskYesNo(platform::MessageBoxes& boxes, const Settings& settings, const std::string& caption,
              const std::string& text) {
  auto language = static_cast<std::uint16_t>(settings.messageLanguageId & 0xFFFF);
  return boxes.messageBoxEx(text, caption, win::kQuestionBoxStyle, language) == win::kIdYes;
}

// "TheLastRunFolder" names the folder Nimbra last ran from; it wins over the
// uninstall entry. A value that is not a string leaves the folder as found.
void ApplyLastRunFolder(Settings& settings, SharedRegistry& registry) {
  OpenProductKey(registry, settings);
  CurrentKeyScope closeKey(registry);
  StringRead folder = registry.readString("TheLastRunFolder");
  if (folder.status != ValueRead::Ok) return;
  settings.installationFolder = folder.text;
  AddTrailingBackslash(settings.installationFolder);
}

ExitCode ExitCodeFor(InstallResult result) {
  switch (result) {
    case InstallResult::Installed: return ExitCode::Installed;
    case InstallResult::InUse: return ExitCode::PackInUse;
    case InstallResult::Failed: break;
  }
  return ExitCode::WriteFailed;
}

}  // namespace

ExitCode RunUpdate(platform::Platform& platform, StartupState& state, LanguageFiles& languages,
                   const InstallerConfiguration& configuration) {
  Settings& settings = state.settings;
  SharedRegistry& registry = *state.registry;
  const std::string& packFileName = configuration.packFileName;

  const auto dot = packFileName.rfind('.');
  const std::string packExtension = dot == std::string::npos ? std::string() : packFileName.substr(dot);
  settings.packVersionText = std::to_string(configuration.packVersion);
  settings.productKey = "Nimbra";
  settings.programTitle = "Обновление программы \"Нимбра\"";
  settings.englishTitle = "Nimbra update";

  if (!FindInstallLocations(platform, settings, registry)) return ExitCode::CheckFailed;
  ApplyLastRunFolder(settings, registry);

  if (!platform.files.fileExists(settings.installationFolder + "nimbra.exe")) {
    ShowBilingualError(platform.boxes, settings,
                       "There's no Nimbra installed.\r\nPlease install the program first.",
                       "Нет установленной программы \"Нимбра\"!\r\nПожалуйста, сначала установите её.");
    return ExitCode::CheckFailed;
  }

  if (!LoadLanguageFiles(platform, settings, registry, languages)) return ExitCode::CheckFailed;
  MessageCatalogue catalogue(platform, settings, languages);

  if (!settings.isAdministrator) {
    ShowCatalogueMessage(platform.boxes, settings, catalogue.GetMessageLines("noright"));
    return ExitCode::NotAdministrator;
  }

  if (!NimbraIsNotRunning(platform.processes)) AskNimbraToQuit(platform.processes);

  const bool modest = settings.startArgument == "modest";
  // The pack's display name with the carried version, as the questions show it.
  auto packTitle = [&] { return catalogue.GetMessageText(configuration.packKey) + " " + settings.packVersionText; };

  if (!modest) {
    if (platform.files.fileExists(settings.installationFolder + packFileName)) {
      // The probe's exclusive, retried open is also the wait for a Nimbra that was just asked to quit.
      auto installed =
          ProbeInstalledPackVersion(platform, settings, catalogue, settings.installationFolder, packFileName);
      if (!installed) return ExitCode::PackInUse;
      if (CarriedPackIsOlder(*installed, configuration.packVersion) &&
          !AskYesNo(platform.boxes, settings, catalogue.GetMessageText("soundquest"),
                    catalogue.FormatMessageLines("olderfilever", {packFileName})))
        return ExitCode::Declined;
    }
    if (!AskYesNo(platform.boxes, settings, catalogue.GetMessageText("soundquest"),
                  catalogue.FormatMessageLines("installask", {catalogue.GetMessageText("liveupdatecaption"),
                                                              packTitle()})))
      return ExitCode::Declined;
  }

  const std::string baseName = packFileName.substr(0, packFileName.find(packExtension));
  const std::string resourceType = packExtension.empty() ? std::string() : packExtension.substr(1);
  const std::string targetPath = settings.installationFolder + baseName + "." + resourceType;
  const InstallResult installed = InstallResourceFile(platform, settings, baseName, resourceType, targetPath);

  RecordInstallationSize(platform, settings, registry);

  if (modest) {
    if (ToLowerAscii(CommandLineArgument(platform.system.commandLine(), 2)) == "runapp")
      StartNimbra(platform.processes, settings);
  } else {
    const std::string caption = catalogue.GetMessageText("liveupdatecaption");
    const std::string text =
        catalogue.FormatMessageText("installdone", {caption + " (" + packTitle() + ")"}) +
        "\r\n\r\n" + catalogue.GetMessageText("asktorun");
    if (AskYesNo(platform.boxes, settings, caption, text)) StartNimbra(platform.processes, settings);
  }
  return ExitCodeFor(installed);
}

}  // namespace nimbra
