// The language-file reader and the four lookups on arbitrary file bytes, keys
// and arguments. Each entry read is checked against a plain model of the
// format; the load and the lookups must never crash and keep their contracts.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fake/fake_world.h"
#include "host/settings.h"
#include "host/shared_registry.h"
#include "lang/catalogue.h"
#include "lang/entry_reader.h"
#include "lang/language_files.h"
#include "lang/language_format.h"
#include "text/line_reader.h"
#include "platform/codes.h"

namespace {

using namespace nimbra;

constexpr std::string_view kFolder = "C:\\Nimbra\\";
constexpr std::string_view kEnglish = "C:\\Nimbra\\language\\english.lng";

void check(bool condition) {
  if (!condition) std::abort();
}

// The format as written: the text ends at 0x1A, lines end at LF, every CR is
// dropped; a line keeps its first kMaxLineLength bytes, a value its first kTextLimit.
std::vector<std::string> modelLines(std::string_view bytes) {
  bytes = bytes.substr(0, bytes.find('\x1A'));
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < bytes.size()) {
    std::size_t lf = bytes.find('\n', at);
    std::string_view raw = bytes.substr(at, lf == std::string_view::npos ? std::string_view::npos : lf - at);
    std::string line;
    for (char c : raw)
      if (c != '\r') line.push_back(c);
    if (line.size() > LineReader::kMaxLineLength) line.resize(LineReader::kMaxLineLength);
    lines.push_back(line);
    at = lf == std::string_view::npos ? bytes.size() : lf + 1;
  }
  return lines;
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool modelKeyLine(const std::string& line, std::string_view key) {
  if (line.size() < key.size() + 2 || line[0] != '[' || line[key.size() + 1] != ']') return false;
  for (std::size_t i = 0; i < key.size(); ++i)
    if (lower(line[i + 1]) != lower(key[i])) return false;
  return true;
}

bool modelBlank(const std::string& line) {
  for (char c : line)
    if (static_cast<unsigned char>(c) > 0x20) return false;
  return true;
}

std::string modelEntry(const std::vector<std::string>& lines, std::string_view key, bool allLines) {
  std::size_t i = 0;
  while (i < lines.size() && !modelKeyLine(lines[i], key)) ++i;
  if (i + 1 >= lines.size() || lines[i + 1].empty()) return {};
  std::string text = lines[i + 1];
  if (!allLines) return text;
  for (std::size_t j = i + 2; j < lines.size() && !modelBlank(lines[j]) && text.size() < kTextLimit; ++j)
    text += "\r\n" + lines[j];
  if (text.size() > kTextLimit) text.resize(kTextLimit);
  return text;
}


// Placeholders on box texts: the bytes are those of a plain model of the
// substitution, and the pieces, each argument in a code page of its own,
// join to exactly those bytes with no empty piece and no two neighbours in
// one code page.
void checkPieceSubstitution(const std::string& text, const std::vector<std::string>& arguments) {
  std::string model = text;
  std::vector<platform::BoxText> pieces;
  for (std::size_t n = 0; n < arguments.size() && n < 4; ++n) {
    const std::string placeholder = "%" + std::to_string(n + 1);
    if (model.find(placeholder) == std::string::npos) break;
    std::string replaced;
    for (std::size_t at = 0;;) {
      std::size_t found = model.find(placeholder, at);
      replaced.append(model, at, found == std::string::npos ? std::string::npos : found - at);
      if (found == std::string::npos) break;
      replaced.append(arguments[n]);
      at = found + 2;
    }
    model = std::move(replaced);
  }
  for (std::size_t n = 0; n < arguments.size(); ++n)
    pieces.emplace_back(arguments[n], static_cast<std::uint32_t>(2 + n));
  const platform::BoxText result = SubstitutePlaceholders(platform::BoxText(text, 1), pieces);
  check(result.bytes() == model);
  std::string joined;
  std::uint32_t previous = 0;
  for (const platform::TextPiece& piece : result.pieces()) {
    check(!piece.bytes.empty() && piece.codePage != previous);
    joined += piece.bytes;
    previous = piece.codePage;
  }
  check(joined == model);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  std::size_t block = input.ConsumeIntegralInRange<std::size_t>(1, 256);
  std::string key = input.ConsumeRandomLengthString(24);
  std::vector<std::string> arguments(input.ConsumeIntegralInRange<std::size_t>(0, 4));
  for (auto& argument : arguments) argument = input.ConsumeRandomLengthString(24);
  bool cyrillicUi = input.ConsumeBool();
  std::uint32_t lcid = input.ConsumeIntegralInRange<std::uint32_t>(1030, 1060);
  bool injectFault = input.ConsumeBool();
  int faultSkip = input.ConsumeIntegralInRange<int>(0, 40);
  std::string second = input.ConsumeRandomLengthString(2048);
  std::string english = input.ConsumeRemainingBytesAsString();

  fake::FakeWorld world;
  world.files.addFile(kEnglish, english);

  // The reader against the model, whatever the block size.
  std::vector<std::string> lines = modelLines(english);
  for (bool allLines : {false, true}) {
    EntryRead read = ReadEntry(world.files, kEnglish, key, allLines ? EntryExtent::AllLines : EntryExtent::FirstLine,
                               block);
    check(!read.failed);
    check(read.text == modelEntry(lines, key, allLines));
  }

  // The whole load and the lookups on a world built from the same bytes.
  world.files.addFile(std::string(kFolder) + "language\\" + (cyrillicUi ? "russian.lng" : "other.lng"), second);
  if (injectFault) world.faults.failNext(fake::Call::FileRead, 5, faultSkip);
  Settings settings;
  settings.productKey = "Nimbra";
  settings.installationFolder = std::string(kFolder);
  settings.cyrillicUi = cyrillicUi;
  settings.userLcid = lcid;
  SharedRegistry registry(world.registry, win::kKeyAllAccess);
  LanguageFiles languages;
  platform::Platform platform = world.platform();
  auto installation = world.files.openFolder(kFolder).folder;
  check(installation != nullptr);
  bool loaded = LoadLanguageFiles(platform, settings, registry, *installation, languages);
  if (!injectFault) check(world.boxes.shown.size() == (loaded ? 0u : 1u));
  if (loaded) check(languages.selectedIndex() >= 0);

  MessageCatalogue catalogue(platform, settings, languages);
  std::vector<std::string_view> views(arguments.begin(), arguments.end());
  std::string text = catalogue.GetMessageText(key);
  check(text.find('\n') == std::string::npos && text.find('\r') == std::string::npos);
  std::string joined = catalogue.GetMessageLines(key);
  // A fault still pending may hit either lookup; only a clean world must agree.
  if (!injectFault) check(joined.starts_with(text));
  switch (views.size()) {
    case 0:
      if (!injectFault) check(catalogue.FormatMessageText(key, {}) == text);
      catalogue.FormatMessageLines(key, {});
      break;
    case 1:
      catalogue.FormatMessageText(key, {views[0]});
      catalogue.FormatMessageLines(key, {views[0]});
      break;
    case 2:
      catalogue.FormatMessageText(key, {views[0], views[1]});
      catalogue.FormatMessageLines(key, {views[0], views[1]});
      break;
    case 3:
      catalogue.FormatMessageText(key, {views[0], views[1], views[2]});
      catalogue.FormatMessageLines(key, {views[0], views[1], views[2]});
      break;
    default:
      catalogue.FormatMessageText(key, {views[0], views[1], views[2], views[3]});
      catalogue.FormatMessageLines(key, {views[0], views[1], views[2], views[3]});
      break;
  }
  checkPieceSubstitution(joined, arguments);
  check(world.files.openFiles() == 0);
  check(world.registry.openKeys() == 0);
  return 0;
}
