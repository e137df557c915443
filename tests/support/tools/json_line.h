// One JSON object per line, for the transcripts and logs of the test tools.
// Every line is pure ASCII, so that Python reads it exactly whatever the code
// page of the process that wrote it:
//   - text(name, ...) holds wide text as shown on screen, with \uXXXX escapes;
//   - hex(name, ...) holds a byte string (ANSI bytes as Windows handed them
//     out) as lower-case hexadecimal digits, two per byte, so that
//     bytes.fromhex() gives the bytes back exactly.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace nimbra::tools {

// JSON string literal (with its quotes) of wide text, escaped to ASCII.
// Unpaired surrogates are kept as escapes; a JSON reader takes them as they are.
std::string jsonString(std::wstring_view text);
// JSON string literal of ASCII text; bytes outside printable ASCII become \u00XX.
std::string jsonString(std::string_view ascii);
// The bytes as lower-case hexadecimal digits, two per byte.
std::string hexBytes(std::string_view bytes);

// Builds one object, field by field, in the order of the calls.
class JsonLine {
 public:
  JsonLine& text(std::string_view name, std::wstring_view value);
  JsonLine& ascii(std::string_view name, std::string_view value);
  JsonLine& hex(std::string_view name, std::string_view bytes);
  JsonLine& number(std::string_view name, std::int64_t value);
  JsonLine& boolean(std::string_view name, bool value);
  JsonLine& null(std::string_view name);
  // A value already in JSON form (an array or object built by the caller).
  JsonLine& raw(std::string_view name, std::string_view json);

  // The object without a line end.
  std::string str() const { return body_ + "}"; }

 private:
  JsonLine& key(std::string_view name);
  std::string body_ = "{";
};

}  // namespace nimbra::tools
