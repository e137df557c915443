#include "lang/presentation.h"

#include <string>

#include "platform/codes.h"

namespace nimbra {

void ShowBilingualError(platform::MessageBoxes& boxes, const Settings& settings,
                        std::string_view englishText, std::string_view russianText) {
  if (settings.cyrillicUi) {
    boxes.messageBoxEx(russianText, settings.programTitle, win::kErrorBoxStyle, win::kLangRussian);
  } else {
    boxes.messageBox(englishText, settings.englishTitle, win::kErrorBoxStyle);
  }
}

void ShowCatalogueMessage(platform::MessageBoxes& boxes, const Settings& settings, std::string_view text) {
  boxes.messageBoxEx(text, settings.programTitle, win::kErrorBoxStyle,
                     static_cast<std::uint16_t>(settings.messageLanguageId & 0xFFFF));
}

void ReportLanguageFileError(platform::MessageBoxes& boxes, const Settings& settings,
                             std::string_view fileName) {
  ShowBilingualError(boxes, settings, "Can't handle the language support file " + std::string(fileName),
                     "Не удаётся работать с файлом языковой поддержки " + std::string(fileName));
}

}  // namespace nimbra
