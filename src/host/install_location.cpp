#include "host/install_location.h"

#include "lang/presentation.h"
#include "platform/codes.h"

namespace nimbra {

namespace {

// Opens path without creation and reads one string value; the key is closed
// again on return. A missing key or value, or one of another type, is nullopt.
std::optional<std::string> readMachineString(SharedRegistry& registry, std::string_view path,
                                             std::string_view name) {
  auto key = registry.useKey(platform::RegistryRoot::LocalMachine, path, /*canCreate=*/false);
  if (!key) return std::nullopt;
  StringRead read = registry.readString(name);
  if (read.status != ValueRead::Ok) return std::nullopt;
  return std::move(read.text);
}

// The registry access test: the per-user shell folders must read as strings.
// Their texts are not needed.
bool shellFoldersReadable(SharedRegistry& registry) {
  auto key = registry.useKey(platform::RegistryRoot::CurrentUser,
                             std::string(kSystemKeyBase) + "Explorer\\Shell Folders", /*canCreate=*/false);
  if (!key) return true;
  for (std::string_view name : {"Programs", "Desktop", "Startup"}) {
    if (registry.readString(name).status == ValueRead::WrongType) return false;
  }
  return true;
}

std::optional<std::string> uninstallEntryFolder(SharedRegistry& registry, std::string_view entryPath) {
  auto value = readMachineString(registry, entryPath, "UninstallString");
  if (!value) return std::nullopt;
  return UninstallStringFolder(*value);
}

}  // namespace

bool FindInstallLocations(platform::Platform& platform, Settings& settings, SharedRegistry& registry) {
  FolderSource source;
  return FindInstallLocations(platform, settings, registry, source);
}

bool FindInstallLocations(platform::Platform& platform, Settings& settings, SharedRegistry& registry,
                          FolderSource& source) {
  std::string programFiles = readMachineString(registry, kSystemKeyBase, "ProgramFilesDir").value_or("");
  AddTrailingBackslash(programFiles);

  settings.isAdministrator = platform.system.isUserAnAdmin();

  if (!shellFoldersReadable(registry)) {
    ShowBilingualError(platform.boxes, settings, EnglishText("No access to system registry"),
                       RussianText("Нет доступа к системному реестру"));
    return false;
  }

  settings.uninstallKeyPrefix = std::string(kSystemKeyBase) + "Uninstall\\";
  std::string entryPath = settings.uninstallKeyPrefix + settings.productKey;
  // The native view wins; the 32-bit view is asked only when the native entry
  // gives no folder. On 32-bit Windows the twin simply does not exist.
  auto folder = uninstallEntryFolder(registry, entryPath);
  source = FolderSource::UninstallEntry;
  if (!folder) {
    folder = uninstallEntryFolder(registry, Wow6432NodePath(entryPath));
    source = folder ? FolderSource::UninstallEntry32 : FolderSource::ProgramFiles;
  }
  settings.installationFolder = folder ? std::move(*folder) : programFiles + settings.productKey;
  AddTrailingBackslash(settings.installationFolder);
  return true;
}

std::optional<std::string> UninstallStringFolder(std::string_view value) {
  // Installers usually quote the path and may append arguments after it; a
  // quoted text cut as it stands would keep the opening mark.
  if (value.starts_with('"')) {
    value.remove_prefix(1);
    value = value.substr(0, value.find('"'));
  }
  if (value.size() < 2) return std::nullopt;
  // The final character is never the cut point: a value ending with a
  // backslash names a folder, whose parent is taken.
  auto cut = value.find_last_of('\\', value.size() - 2);
  if (cut == std::string_view::npos) return std::nullopt;
  return std::string(value.substr(0, cut + 1));
}

std::string Wow6432NodePath(std::string_view path) {
  auto at = path.find('\\');
  if (at == std::string_view::npos) return std::string(path);
  std::string twin(path.substr(0, at + 1));
  twin += "WOW6432Node\\";
  twin += path.substr(at + 1);
  return twin;
}

}  // namespace nimbra
