#include "update/update_run.h"

#include <memory>
#include <optional>
#include <string>

#include "host/folder_path.h"
#include "host/install_location.h"
#include "host/product_key.h"
#include "host/uninstall_registration.h"
#include "install/exclusive_open.h"
#include "install/resource_installer.h"
#include "lang/catalogue.h"
#include "lang/presentation.h"
#include "platform/codes.h"
#include "platform/path_form.h"
#include "update/nimbra_instance.h"
#include "update/pack_probe.h"

namespace nimbra {

namespace {

// What every step of one run works on.
struct RunContext {
  platform::Platform& platform;
  Settings& settings;
  SharedRegistry& registry;
  RandomGenerator& random;
  const InstallerConfiguration& configuration;
  RunLog& log;
  bool quiet;  // no box is shown: no one is there to ask
  // The installation folder, held open from the moment the run decided on
  // it: every later step goes through this handle, so that no link or
  // junction re-pointed meanwhile steers a step elsewhere.
  std::unique_ptr<platform::Folder> installation;
};

void NameTheProduct(Settings& settings, const InstallerConfiguration& configuration) {
  settings.packVersionText = std::to_string(configuration.packVersion);
  settings.productKey = "Nimbra";
  settings.programTitle = "Обновление программы \"Нимбра\"";
  settings.programTitleCodePage = platform::kCyrillicCodePage;
  settings.englishTitle = "Nimbra update";
}

// "TheLastRunFolder" names the folder Nimbra last ran from; it wins over the
// uninstall entry. A value that is not a string leaves the folder as found, and
// so does an empty one: it would name the current directory, which for an
// elevated program is often System32. True when it named the folder.
bool ApplyLastRunFolder(Settings& settings, SharedRegistry& registry) {
  auto productKey = OpenProductKey(registry, settings);
  StringRead folder = registry.readString("TheLastRunFolder");
  if (folder.status != ValueRead::Ok || folder.text.empty()) return false;
  settings.installationFolder = folder.text;
  AddTrailingBackslash(settings.installationFolder);
  return true;
}

std::string_view FolderOrigin(FolderSource source, bool fromLastRunFolder) {
  if (fromLastRunFolder) return "from \"TheLastRunFolder\"";
  switch (source) {
    case FolderSource::UninstallEntry: return "from the uninstall entry";
    case FolderSource::UninstallEntry32: return "from the uninstall entry in the 32-bit view";
    case FolderSource::ProgramFiles: break;
  }
  return "the program files folder";
}

bool FindInstallation(RunContext& run) {
  FolderSource source = FolderSource::ProgramFiles;
  if (!FindInstallLocations(run.platform, run.settings, run.registry, source)) return false;
  const bool fromLastRunFolder = ApplyLastRunFolder(run.settings, run.registry);
  run.log.record("installation folder " + run.settings.installationFolder + " (" +
                 std::string(FolderOrigin(source, fromLastRunFolder)) + ")");
  return true;
}

// The plain file `name` looked up through the folder's handle: 0 when it is
// there, else the Win32 error (a folder or a link of that name is refused).
std::uint32_t LookUp(platform::Folder& folder, std::string_view name) {
  const platform::OpenedFile found =
      folder.openFile(name, platform::FileAccess::Attributes, win::kShareAll,
                      platform::FileCreation::OpenExisting);
  return found.file ? 0 : found.error;
}

// Opens the installation folder once, and finds Nimbra in it. Only a drive or
// share path counts as a folder: any other form could reach the object
// manager's names or the current folder; and the folder must be at that path
// itself, not reached through a link or junction.
bool OpenInstallation(RunContext& run) {
  const std::string& folder = run.settings.installationFolder;
  platform::OpenedFolder opened;
  if (!platform::IsDriveOrSharePath(folder)) {
    run.log.record("installation folder refused: not a drive or share path");
  } else if (opened = run.platform.files.openFolder(folder); !opened.folder) {
    run.log.record((opened.error == win::kErrorCantAccessFile
                        ? std::string("installation folder refused: a link, or reached through one (error ")
                        : std::string("installation folder not opened (error ")) +
                   std::to_string(opened.error) + ")");
  } else if (LookUp(*opened.folder, "nimbra.exe") == 0) {
    run.installation = std::move(opened.folder);
    return true;
  }
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

void CloseRunningNimbra(RunContext& run) {
  if (!NimbraIsRunning(run.platform.processes)) return;
  AskNimbraToQuit(run.platform.processes);
  run.log.record("Nimbra is running: asked it to quit");
}

void RecordInstalledPack(RunContext& run, std::optional<std::int32_t> version, std::uint32_t error = 0) {
  if (version) {
    run.log.record("installed pack version " + std::to_string(*version));
  } else if (error == win::kErrorFileNotFound || error == win::kErrorPathNotFound) {
    run.log.record("installed pack: none");
  } else {
    run.log.record("installed pack: cannot be opened (error " + std::to_string(error) + ")");
  }
}

// The modest run reads no pack; its log still tells which one was there.
void PeekForTheLog(RunContext& run) {
  if (!run.log.enabled()) return;
  PackPeek peek = PeekInstalledPackVersion(*run.installation, run.configuration.packFileName);
  RecordInstalledPack(run, peek.version, peek.error);
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
  if (run.settings.startArgument == "modest") {
    PeekForTheLog(run);
    return std::nullopt;
  }
  const std::string& packFileName = run.configuration.packFileName;
  const std::string packPath = run.settings.installationFolder + packFileName;
  // Only a plain file is a pack to probe; a folder or a link of its name is
  // none, and the write replaces that name, never what a link names.
  if (LookUp(*run.installation, packFileName) != 0) {
    RecordInstalledPack(run, std::nullopt, win::kErrorFileNotFound);
  } else {
    // The probe's exclusive, retried open is also the wait for a Nimbra that was just asked to quit.
    const PackPeek installed =
        ProbeInstalledPackVersion(run.platform, run.settings, catalogue, *run.installation, packFileName, packPath);
    RecordInstalledPack(run, installed.version, installed.error);
    // "Retry later" only when another program holds the pack; any other
    // reason will not go away by waiting.
    if (!installed.version) return IsHeldByAnother(installed.error) ? ExitCode::PackInUse : ExitCode::Failed;
    if (CarriedPackIsOlder(*installed.version, run.configuration.packVersion) &&
        !AskYesNo(run, catalogue.text("soundquest"), catalogue.formatLines("olderfilever", {SystemText(packFileName)})))
      return ExitCode::Declined;
  }
  if (!AskYesNo(run, catalogue.text("soundquest"),
                catalogue.formatLines("installask", {catalogue.text("liveupdatecaption"), PackTitle(run, catalogue)})))
    return ExitCode::Declined;
  return std::nullopt;
}

std::string WriteRecord(const std::string& targetPath, const InstallOutcome& outcome) {
  if (outcome == InstallResult::Installed) {
    if (!outcome.flushFailure) return "pack written: " + targetPath;
    return "pack written: " + targetPath + " (its new name not flushed to the disk: error " +
           std::to_string(*outcome.flushFailure) + ")";
  }
  const std::string error = outcome.error != 0 ? "error " + std::to_string(outcome.error) : "error not known";
  return "pack not written: " + targetPath + " (" +
         (outcome == InstallResult::InUse ? "in use by another program, " : "") + error + ")";
}

// A damaged installer: what the build recorded and what it carries.
std::string DamageRecord(const CarriedPackCheck& check, const InstallOutcome& outcome) {
  const std::string expected = check.expected ? DescribePackCheck(*check.expected) : "no record of the build";
  const std::string carried = outcome.written ? DescribePackCheck(*outcome.written) : "not checked";
  return "pack not written: the carried pack failed its check (" + carried + ", expected " + expected +
         "): the installer is damaged";
}

// The check's record as the build stored it; none when it is missing or malformed.
CarriedPackCheck CarriedCheck(RunContext& run) {
  CarriedPackCheck check;
  check.enabled = run.configuration.checkCarriedPack;
  if (auto record = run.platform.resources.find(kPackCheckResourceName, kPackCheckResourceType))
    check.expected = ParsePackCheck(*record);
  return check;
}

// A held pack that no one is there to be asked about: replaced at the next
// restart, as deployment tools expect of an installer they run silently.
std::string RestartRecord(const std::string& targetPath, const InstallOutcome& outcome) {
  return "pack in use by another program (error " + std::to_string(outcome.error) +
         "): its replacement by " + outcome.pending + " is registered for the next restart of Windows: " + targetPath;
}

ExitCode InstallPack(RunContext& run) {
  const PackResource resource = PackResourceOf(run.configuration.packFileName);
  const std::string targetPath = run.settings.installationFolder + run.configuration.packFileName;
  const CarriedPackCheck check = CarriedCheck(run);
  const bool atRestart = run.quiet && run.settings.startArgument == "modest";
  const InstallOutcome outcome =
      InstallResourceFile(run.platform, run.settings, run.random, resource.name, resource.type,
                          {*run.installation, run.configuration.packFileName, targetPath}, check, atRestart);
  if (outcome.restartRefusal)
    run.log.record("replacement at the next restart refused (error " + std::to_string(*outcome.restartRefusal) + ")");
  switch (outcome.result) {
    case InstallResult::Installed: run.log.record(WriteRecord(targetPath, outcome)); return ExitCode::Installed;
    case InstallResult::InUse: run.log.record(WriteRecord(targetPath, outcome)); return ExitCode::PackInUse;
    case InstallResult::ReplacedAtRestart:
      run.log.record(RestartRecord(targetPath, outcome));
      return ExitCode::RestartRequired;
    case InstallResult::Damaged: run.log.record(DamageRecord(check, outcome)); return ExitCode::InstallerDamaged;
    case InstallResult::Failed: break;
  }
  run.log.record(WriteRecord(targetPath, outcome));
  return ExitCode::Failed;
}

// "EstimatedSize" after every write attempt; the pack's version for detection
// rules only once that pack is in place.
void RecordInstallation(RunContext& run, bool packWritten) {
  const SizeRecord size = RecordInstallationSize(run.platform, run.settings, run.registry, *run.installation);
  if (size.written) {
    run.log.record("\"EstimatedSize\" = " + std::to_string(*size.written) + " KiB");
  } else if (size.walk == FolderWalk::TooManyEntries) {
    run.log.record("\"EstimatedSize\" not written: the folder holds more than " +
                   std::to_string(kFolderWalkEntryLimit) + " entries");
  } else if (size.walk == FolderWalk::TooLong) {
    run.log.record("\"EstimatedSize\" not written: measuring the folder took more than " +
                   std::to_string(kFolderWalkTimeLimitMs / 1000) + " s");
  } else {
    run.log.record("\"EstimatedSize\" not written");
  }
  if (!packWritten) return;
  const InstallerConfiguration& carried = run.configuration;
  const std::string name = "\"" + PackVersionValueName(carried.packFileName) + "\"";
  run.log.record(RecordPackVersion(run.settings, run.registry, carried.packFileName, carried.packVersion)
                     ? name + " = " + std::to_string(carried.packVersion)
                     : name + " not written");
}

void StartNimbraAndRecord(RunContext& run) {
  run.log.record(DescribeNimbraStart(StartNimbra(run.platform, run.settings, *run.installation)));
}

// The modest run starts Nimbra on "runapp": it was asked to quit for the
// update, whatever came of it.
bool FinishModestRun(RunContext& run) {
  if (run.settings.startArgument != "modest") return false;
  if (run.settings.finishArgument == "runapp") {
    StartNimbraAndRecord(run);
  } else {
    run.log.record("Nimbra not started: argument 2 is not \"runapp\"");
  }
  return true;
}

// The final question says "installed" only of a pack that is in place; after
// a failed write it only offers to start Nimbra. Nimbra starts on Yes.
void Finish(RunContext& run, MessageCatalogue& catalogue, bool packWritten) {
  if (FinishModestRun(run)) return;
  const platform::BoxText caption = catalogue.text("liveupdatecaption");
  const platform::BoxText text =
      packWritten ? catalogue.formatText("installdone",
                                         {caption + SystemText(" (") + PackTitle(run, catalogue) + SystemText(")")}) +
                        SystemText("\r\n\r\n") + catalogue.text("asktorun")
                  : catalogue.text("asktorun");
  if (AskYesNo(run, caption, text)) {
    StartNimbraAndRecord(run);
  } else {
    run.log.record("Nimbra not started: the final question was not answered Yes");
  }
}

}  // namespace

ExitCode RunUpdate(platform::Platform& platform, StartupState& state, LanguageFiles& languages,
                   const InstallerConfiguration& configuration, RunLog& log, ExitCode& earned, bool quiet) {
  RunContext run{platform, state.settings, *state.registry, state.random, configuration, log, quiet};
  NameTheProduct(run.settings, configuration);
  // Each step is named for the watchdog's record, should the run not end.
  log.atStep("finding Nimbra's folder");
  if (!FindInstallation(run)) return ExitCode::Failed;
  log.atStep("opening the folder");
  if (!OpenInstallation(run)) return ExitCode::NotInstalled;
  log.atStep("reading the language files");
  if (!LoadLanguageFiles(platform, run.settings, run.registry, *run.installation, languages)) return ExitCode::Failed;
  MessageCatalogue catalogue(platform, run.settings, languages);
  if (!HasAdministratorRights(run, catalogue)) return ExitCode::NotAdministrator;
  CloseRunningNimbra(run);
  log.atStep("probing the installed pack");
  if (auto stopped = AskToInstall(run, catalogue)) return *stopped;
  log.atStep("writing the pack");
  const ExitCode installed = InstallPack(run);
  earned = installed;
  // A damaged installer changed nothing: nothing to record and nothing to
  // ask; only the modest run's Nimbra is started again.
  if (installed == ExitCode::InstallerDamaged) {
    FinishModestRun(run);
    return installed;
  }
  // A replacement at the restart is the update done, a restart pending: it
  // is recorded as one.
  const bool packWritten = installed == ExitCode::Installed || installed == ExitCode::RestartRequired;
  log.atStep("measuring the folder");
  RecordInstallation(run, packWritten);
  log.atStep("starting Nimbra");
  Finish(run, catalogue, packWritten);
  return installed;
}

}  // namespace nimbra
