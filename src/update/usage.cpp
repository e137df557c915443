#include "update/usage.h"

#include "lang/presentation.h"
#include "platform/codes.h"

namespace nimbra {

namespace {

// Narrow literals are compiled to Windows-1251, so the Russian texts below are
// the bytes the box shows.
constexpr std::string_view kEnglishTitle = "Nimbra update";
constexpr std::string_view kRussianTitle = "Обновление программы \"Нимбра\"";

constexpr std::string_view kEnglishUsage =
    "nimbra-pack-update.exe [modest [runapp] [quiet]] [log=PATH]\r\n"
    "\r\n"
    "No arguments: asks before installing and offers to start Nimbra.\r\n"
    "modest - installs without asking.\r\n"
    "runapp - as the second argument after modest: starts Nimbra afterwards.\r\n"
    "quiet - after modest: shows no message at all; the exit code and the log tell the outcome.\r\n"
    "log=PATH - appends what happens to the file PATH (UTF-8), whose name ends in .log or .txt.\r\n"
    "/?, -h, --help - shows this help.\r\n"
    "\r\n"
    "Exit codes:\r\n"
    "0 - the pack was installed\r\n"
    "1602 - the user declined\r\n"
    "1618 - the pack is in use: retry later\r\n"
    "740 - administrator rights are needed\r\n"
    "1605 - Nimbra is not installed\r\n"
    "1620 - the installer is damaged: download it again\r\n"
    "3010 - quiet: the pack replaces the one in use at the next restart\r\n"
    "1603 - any other failure";

constexpr std::string_view kRussianUsage =
    "nimbra-pack-update.exe [modest [runapp] [quiet]] [log=ПУТЬ]\r\n"
    "\r\n"
    "Без параметров: спрашивает перед установкой и предлагает запустить \"Нимбру\".\r\n"
    "modest - устанавливает без вопросов.\r\n"
    "runapp - вторым параметром после modest: затем запускает \"Нимбру\".\r\n"
    "quiet - после modest: не показывает никаких сообщений; итог сообщают код завершения и журнал.\r\n"
    "log=ПУТЬ - дописывает ход работы в файл ПУТЬ (UTF-8), имя которого оканчивается на .log или .txt.\r\n"
    "/?, -h, --help - показывает эту справку.\r\n"
    "\r\n"
    "Коды завершения:\r\n"
    "0 - пакет установлен\r\n"
    "1602 - пользователь отказался\r\n"
    "1618 - пакет занят: повторите позже\r\n"
    "740 - нужны права администратора\r\n"
    "1605 - \"Нимбра\" не установлена\r\n"
    "1620 - программа установки повреждена: загрузите её заново\r\n"
    "3010 - quiet: пакет заменит занятый при следующем перезапуске\r\n"
    "1603 - любая другая ошибка";

}  // namespace

std::string UsageText(const InstallerConfiguration& configuration, bool russian) {
  const std::string pack = configuration.packFileName + " (" + configuration.packKey + " " +
                           std::to_string(configuration.packVersion) + ")";
  const std::string intro = russian ? "Устанавливает звуковой пакет " + pack + " в папку \"Нимбры\".\r\n\r\n"
                                    : "Installs the sound pack " + pack + " into Nimbra's folder.\r\n\r\n";
  return intro + std::string(russian ? kRussianUsage : kEnglishUsage);
}

void ShowUsage(platform::MessageBoxes& boxes, const InstallerConfiguration& configuration, bool cyrillicUi) {
  if (cyrillicUi) {
    boxes.messageBoxEx(RussianText(UsageText(configuration, true)), RussianText(kRussianTitle),
                       win::kInformationBoxStyle, win::kLangRussian);
  } else {
    boxes.messageBox(EnglishText(UsageText(configuration, false)), EnglishText(kEnglishTitle),
                     win::kInformationBoxStyle);
  }
}

}  // namespace nimbra
