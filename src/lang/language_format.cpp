#include "lang/language_format.h"

#include <algorithm>
#include <array>

#include "text/ascii_case.h"

namespace nimbra {

namespace {


int digitValue(char c, int base) {
  int value = 16;
  if (c >= '0' && c <= '9') value = c - '0';
  else if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value < base ? value : -1;
}

// Appends text[offset, offset + count) as far as it fits under kTextLimit;
// false once the text is full.
bool appendCapped(platform::BoxText& out, const platform::BoxText& text, std::size_t offset, std::size_t count) {
  out.append(text, offset, std::min(count, kTextLimit - out.size()));
  return out.size() < kTextLimit;
}

// Every occurrence replaced, the result cut at kTextLimit: a text full of
// placeholders costs no more than that, however long the replacement.
platform::BoxText replaceAll(const platform::BoxText& text, std::string_view pattern,
                             const platform::BoxText& replacement) {
  const std::string_view bytes = text.bytes();
  platform::BoxText out;
  for (std::size_t at = 0;;) {
    std::size_t found = bytes.find(pattern, at);
    if (found == std::string_view::npos) {
      appendCapped(out, text, at, bytes.size() - at);
      return out;
    }
    if (!appendCapped(out, text, at, found - at) || !appendCapped(out, replacement, 0, replacement.size())) return out;
    at = found + pattern.size();
  }
}

}  // namespace

bool IsBlankLine(std::string_view line) {
  return std::all_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) <= 0x20; });
}

bool IsKeyLine(std::string_view line, std::string_view key) {
  if (line.size() < key.size() + 2 || line[0] != '[' || line[key.size() + 1] != ']') return false;
  return EqualIgnoringAsciiCase(key, line.substr(1, key.size()));
}

std::optional<std::int32_t> ParseLanguageInteger(std::string_view text) {
  std::size_t at = text.find_first_not_of(' ');
  if (at == std::string_view::npos) return std::nullopt;
  bool negative = false;
  if (text[at] == '+' || text[at] == '-') negative = text[at++] == '-';
  int base = 10;
  if (at < text.size() && text[at] == '$') {
    base = 16;
    ++at;
  } else if (text.substr(at).starts_with("0x") || text.substr(at).starts_with("0X")) {
    base = 16;
    at += 2;
  }
  if (at == text.size()) return std::nullopt;
  // The magnitude may reach 2^31 only for a negative value.
  constexpr std::uint64_t kLimit = std::uint64_t{1} << 31;
  std::uint64_t magnitude = 0;
  for (; at < text.size(); ++at) {
    int digit = digitValue(text[at], base);
    if (digit < 0) return std::nullopt;
    magnitude = magnitude * base + digit;
    if (magnitude > kLimit) return std::nullopt;
  }
  if (negative) return static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude));
  if (magnitude == kLimit) return std::nullopt;
  return static_cast<std::int32_t>(magnitude);
}

platform::BoxText SubstitutePlaceholders(platform::BoxText text, std::span<const platform::BoxText> arguments) {
  constexpr std::array<std::string_view, 4> kPlaceholders{"%1", "%2", "%3", "%4"};
  if (text.size() > kTextLimit) text = platform::BoxText().append(text, 0, kTextLimit);
  for (std::size_t n = 0; n < kPlaceholders.size(); ++n) {
    if (text.bytes().find(kPlaceholders[n]) == std::string::npos) break;
    // A placeholder the caller gave no argument for is left for the reader to see.
    if (n >= arguments.size()) break;
    text = replaceAll(text, kPlaceholders[n], arguments[n]);
  }
  return text;
}

std::string SubstitutePlaceholders(std::string text, std::span<const std::string_view> arguments) {
  std::vector<platform::BoxText> pieces;
  for (std::string_view argument : arguments) pieces.emplace_back(argument, platform::kSystemCodePage);
  return SubstitutePlaceholders(platform::BoxText(text, platform::kSystemCodePage), pieces).bytes();
}

std::vector<std::string_view> SplitTextLines(std::string_view text) {
  std::vector<std::string_view> lines;
  if (text.empty()) return lines;
  for (std::size_t at = 0;;) {
    std::size_t end = text.find("\r\n", at);
    if (end == std::string_view::npos) {
      lines.push_back(text.substr(at));
      return lines;
    }
    lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
}

}  // namespace nimbra
