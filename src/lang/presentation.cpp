#include "lang/presentation.h"

#include "platform/codes.h"

namespace nimbra {

using platform::BoxText;

BoxText EnglishText(std::string_view ascii) { return BoxText(ascii, platform::kSystemCodePage); }

BoxText RussianText(std::string_view windows1251) { return BoxText(windows1251, platform::kCyrillicCodePage); }

BoxText SystemText(std::string_view bytes) { return BoxText(bytes, platform::kSystemCodePage); }

BoxText ProgramTitle(const Settings& settings) {
  return BoxText(settings.programTitle, settings.programTitleCodePage);
}

void ShowBilingualError(platform::MessageBoxes& boxes, const Settings& settings, const BoxText& englishText,
                        const BoxText& russianText) {
  if (settings.cyrillicUi) {
    boxes.messageBoxEx(russianText, ProgramTitle(settings), win::kErrorBoxStyle, win::kLangRussian);
  } else {
    boxes.messageBox(englishText, EnglishText(settings.englishTitle), win::kErrorBoxStyle);
  }
}

void ShowCatalogueMessage(platform::MessageBoxes& boxes, const Settings& settings, const BoxText& text) {
  boxes.messageBoxEx(text, ProgramTitle(settings), win::kErrorBoxStyle,
                     static_cast<std::uint16_t>(settings.messageLanguageId & 0xFFFF));
}

void ReportLanguageFileError(platform::MessageBoxes& boxes, const Settings& settings,
                             std::string_view fileName) {
  ShowBilingualError(boxes, settings, EnglishText("Can't handle the language support file ") + SystemText(fileName),
                     RussianText("Не удаётся работать с файлом языковой поддержки ") + SystemText(fileName));
}

}  // namespace nimbra
