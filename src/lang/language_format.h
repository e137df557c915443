// The text format of the language files, line by line: blank lines, key
// lines, integer values, and the placeholders of message texts. Pure
// functions over byte strings; bytes of 0x80 and above are never folded.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/box_text.h"

namespace nimbra {

// The most bytes a catalogue text or a substituted text keeps; the rest is
// cut. No message box shows more than 32,767 characters, so nothing that
// could be seen is lost, and no language file can make a text cost more.
inline constexpr std::size_t kTextLimit = 64 * 1024;

// A blank line is empty once every byte of value 0x20 or less is cut from both
// ends; it ends a multi-line value.
bool IsBlankLine(std::string_view line);

// True when line is the key line of key: "[" as its very first byte, then the
// key and "]", with A-Z equal to a-z. Whatever follows the "]" is ignored.
bool IsKeyLine(std::string_view line, std::string_view key);

// An integer value: optional leading spaces, an optional "+" or "-", then
// decimal digits, or hexadecimal digits after "$" or "0x". Nothing may follow
// the digits. nullopt for anything else, and for a value outside 32-bit signed.
std::optional<std::int32_t> ParseLanguageInteger(std::string_view text);

// Replaces %1, then %2, %3, %4 by the arguments in turn, each time in the text
// as substituted so far. Stops at the first placeholder that the text does not
// contain or for which no argument was passed; that one and all higher ones
// stay as they are. The result keeps at most kTextLimit bytes: every text
// under that comes out exactly as without the cap.
// Each byte keeps its code page: the text's own, or its argument's.
platform::BoxText SubstitutePlaceholders(platform::BoxText text, std::span<const platform::BoxText> arguments);
// The same on bytes alone.
std::string SubstitutePlaceholders(std::string text, std::span<const std::string_view> arguments);

// The lines of a multi-line text, cut at each CR LF; none for an empty text.
std::vector<std::string_view> SplitTextLines(std::string_view text);

}  // namespace nimbra
