#include "lang/character_set.h"

#include <array>
#include <utility>

#include "platform/box_text.h"

namespace nimbra {

std::uint32_t CodePageOfCharacterSet(std::int32_t characterSet) {
  // Character set number -> code page, as Windows pairs them.
  constexpr std::array<std::pair<std::int32_t, std::uint32_t>, 13> kCodePages{{
      {128, 932},   // SHIFTJIS_CHARSET
      {129, 949},   // HANGEUL_CHARSET
      {134, 936},   // GB2312_CHARSET
      {136, 950},   // CHINESEBIG5_CHARSET
      {161, 1253},  // GREEK_CHARSET
      {162, 1254},  // TURKISH_CHARSET
      {163, 1258},  // VIETNAMESE_CHARSET
      {177, 1255},  // HEBREW_CHARSET
      {178, 1256},  // ARABIC_CHARSET
      {186, 1257},  // BALTIC_CHARSET
      {204, 1251},  // RUSSIAN_CHARSET
      {222, 874},   // THAI_CHARSET
      {238, 1250},  // EASTEUROPE_CHARSET
  }};
  for (const auto& [number, codePage] : kCodePages)
    if (number == characterSet) return codePage;
  return platform::kSystemCodePage;
}

}  // namespace nimbra
