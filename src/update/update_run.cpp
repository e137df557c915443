#include "update/update_run.h"

#include <optional>
#include <string>

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

// What every step of one run works on.
struct RunContext {
  platform::Platform& platform;
  Settings& settings;
  SharedRegistry& registry;
  const InstallerConfiguration& configuration;
};

void NameTheProduct(Settings& settings, const InstallerConfiguration& configuration) {
  settings.packVersionText = std::to_string(configuration.packVersion);
  settings.productKey = "Nimbra";
  settings.programTitle = "Обновление программы \"Нимбра\"";
  settings.programTitleCodePage = platform::kCyrillicCodePage;
  settings.englishTitle = "Nimbra update";
}

// "TheLastRunFolder" names the folder Nimbra last ran from; it wins over the
// uninstall entry. A value that is not a string leaves the folder as found.
void ApplyLastRunFolder(Settings& settings, SharedRegistry& registry) {
  auto productKey = OpenProductKey(registry, settings);
  StringRead folder = registry.readString("TheLastRunFolder");
  if (folder.status != ValueRead::Ok) return;
  settings.installationFolder = folder.text;
  AddTrailingBackslash(settings.installationFolder);
}

bool FindInstallation(RunContext& run) {
  if (!FindInstallLocations(run.platform, run.settings, run.registry)) return false;
  ApplyLastRunFolder(run.settings, run.registry);
  return true;
}

bool NimbraIsInstalled(RunContext& run) {
  if (run.platform.files.fileExists(run.settings.installationFolder + "nimbra.exe")) return true;
  ShowBilingualError(run.platform.boxes, run.settings,
                     EnglishText("There's no Nimbra installed.\r\nPlease install the program first."),
                     RussianText("Нет установленной программы \"Нимбра\"!\r\nПожалуйста, сначала установите её."));
  return false;
}

bool HasAdministratorRights(RunContext& run, MessageCatalogue& catalogue) {
  if (run.settings.isAdministrator) return true;
  ShowCatalogueMessage(run.platform.boxes, run.settings, catalogue.lines("noright"));
  return false;
}

void CloseRunningNimbra(platform::Processes& processes) {
  if (NimbraIsRunning(processes)) AskNimbraToQuit(processes);
}

// Questions share one look: Yes/No, question icon, task-modal, topmost, in the
// language of the selected file. Only Yes counts as Yes.
bool AskYesNo(RunContext& run, const platform::BoxText& caption, const platform::BoxText& text) {
  auto language = static_cast<std::uint16_t>(run.settings.messageLanguageId & 0xFFFF);
  return run.platform.boxes.messageBoxEx(text, caption, win::kQuestionBoxStyle, language) == win::kIdYes;
}

// The pack's display name with the carried version, as the questions show it.
platform::BoxText PackTitle(RunContext& run, MessageCatalogue& catalogue) {
  return catalogue.text(run.configuration.packKey) + SystemText(" " + run.settings.packVersionText);
}

// The questions before the write; nothing is asked in the modest mode. An
// exit code when the run ends here.
std::optional<ExitCode> AskToInstall(RunContext& run, MessageCatalogue& catalogue) {
  if (run.settings.startArgument == "modest") return std::nullopt;
  const std::string& packFileName = run.configuration.packFileName;
  const std::string packPath = run.settings.installationFolder + packFileName;
  if (run.platform.files.fileExists(packPath)) {
    // The probe's exclusive, retried open is also the wait for a Nimbra that was just asked to quit.
    auto installed = ProbeInstalledPackVersion(run.platform, run.settings, catalogue, packPath);
    if (!installed) return ExitCode::PackInUse;
    if (CarriedPackIsOlder(*installed, run.configuration.packVersion) &&
        !AskYesNo(run, catalogue.text("soundquest"), catalogue.formatLines("olderfilever", {SystemText(packFileName)})))
      return ExitCode::Declined;
  }
  if (!AskYesNo(run, catalogue.text("soundquest"),
                catalogue.formatLines("installask", {catalogue.text("liveupdatecaption"), PackTitle(run, catalogue)})))
    return ExitCode::Declined;
  return std::nullopt;
}

ExitCode InstallPack(RunContext& run) {
  const PackResource resource = PackResourceOf(run.configuration.packFileName);
  const std::string targetPath = run.settings.installationFolder + run.configuration.packFileName;
  switch (InstallResourceFile(run.platform, run.settings, resource.name, resource.type, targetPath)) {
    case InstallResult::Installed: return ExitCode::Installed;
    case InstallResult::InUse: return ExitCode::PackInUse;
    case InstallResult::Failed: break;
  }
  return ExitCode::WriteFailed;
}

// Starts Nimbra on "runapp" in the modest mode, else when the final question is answered Yes.
void Finish(RunContext& run, MessageCatalogue& catalogue) {
  if (run.settings.startArgument == "modest") {
    if (run.settings.finishArgument == "runapp") StartNimbra(run.platform.processes, run.settings);
    return;
  }
  const platform::BoxText caption = catalogue.text("liveupdatecaption");
  const platform::BoxText text =
      catalogue.formatText("installdone", {caption + SystemText(" (") + PackTitle(run, catalogue) + SystemText(")")}) +
      SystemText("\r\n\r\n") + catalogue.text("asktorun");
  if (AskYesNo(run, caption, text)) StartNimbra(run.platform.processes, run.settings);
}

}  // namespace

ExitCode RunUpdate(platform::Platform& platform, StartupState& state, LanguageFiles& languages,
                   const InstallerConfiguration& configuration) {
  RunContext run{platform, state.settings, *state.registry, configuration};
  NameTheProduct(run.settings, configuration);
  if (!FindInstallation(run) || !NimbraIsInstalled(run)) return ExitCode::CheckFailed;
  if (!LoadLanguageFiles(platform, run.settings, run.registry, languages)) return ExitCode::CheckFailed;
  MessageCatalogue catalogue(platform, run.settings, languages);
  if (!HasAdministratorRights(run, catalogue)) return ExitCode::NotAdministrator;
  CloseRunningNimbra(platform.processes);
  if (auto stopped = AskToInstall(run, catalogue)) return *stopped;
  const ExitCode installed = InstallPack(run);
  RecordInstallationSize(platform, run.settings, run.registry);
  Finish(run, catalogue);
  return installed;
}

}  // namespace nimbra
