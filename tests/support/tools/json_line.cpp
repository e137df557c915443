#include "json_line.h"

namespace nimbra::tools {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

void appendUnicodeEscape(std::string& out, unsigned unit) {
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out += kHexDigits[(unit >> shift) & 0xF];
}

// Shared by both kinds of string: the code units are UTF-16 units or bytes.
template <typename Unit>
std::string quote(std::basic_string_view<Unit> text) {
  std::string out = "\"";
  for (const Unit unit : text) {
    const auto value = static_cast<unsigned>(static_cast<std::make_unsigned_t<Unit>>(unit));
    switch (value) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (value >= 0x20 && value < 0x7F) {
          out += static_cast<char>(value);
        } else {
          appendUnicodeEscape(out, value);
        }
    }
  }
  out += '"';
  return out;
}

}  // namespace

std::string jsonString(std::wstring_view text) { return quote(text); }

std::string jsonString(std::string_view ascii) { return quote(ascii); }

std::string hexBytes(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (const char byte : bytes) {
    const auto value = static_cast<unsigned char>(byte);
    out += kHexDigits[value >> 4];
    out += kHexDigits[value & 0xF];
  }
  return out;
}

JsonLine& JsonLine::key(std::string_view name) {
  if (body_.size() > 1) body_ += ',';
  body_ += jsonString(name);
  body_ += ':';
  return *this;
}

JsonLine& JsonLine::text(std::string_view name, std::wstring_view value) {
  key(name).body_ += jsonString(value);
  return *this;
}

JsonLine& JsonLine::ascii(std::string_view name, std::string_view value) {
  key(name).body_ += jsonString(value);
  return *this;
}

JsonLine& JsonLine::hex(std::string_view name, std::string_view bytes) {
  key(name).body_ += '"' + hexBytes(bytes) + '"';
  return *this;
}

JsonLine& JsonLine::number(std::string_view name, std::int64_t value) {
  key(name).body_ += std::to_string(value);
  return *this;
}

JsonLine& JsonLine::boolean(std::string_view name, bool value) {
  key(name).body_ += value ? "true" : "false";
  return *this;
}

JsonLine& JsonLine::null(std::string_view name) {
  key(name).body_ += "null";
  return *this;
}

JsonLine& JsonLine::raw(std::string_view name, std::string_view json) {
  key(name).body_ += json;
  return *this;
}

}  // namespace nimbra::tools
