#include "box_transcript.h"

namespace nimbra::tools {

namespace {

std::string buttonsJson(const BoxView& box) {
  std::string json = "[";
  for (const BoxButton& button : box.buttons) {
    if (json.size() > 1) json += ',';
    const std::optional<Answer> answer = answerForButtonId(button.id);
    json += JsonLine()
                .ascii("id", answer ? answerName(*answer) : "?")
                .text("text", button.wideText)
                .hex("text_hex", button.text)
                .str();
  }
  return json + "]";
}

JsonLine& answerField(JsonLine& line, std::string_view name, const std::optional<Answer>& answer) {
  return answer ? line.ascii(name, answerName(*answer)) : line.null(name);
}

}  // namespace

JsonLine boxRecordLine(const BoxRecord& record, std::size_t index, std::int64_t elapsedMs, std::int64_t unixMs) {
  JsonLine line;
  line.ascii("event", "box")
      .number("index", static_cast<std::int64_t>(index))
      .number("t_ms", elapsedMs)
      .number("unix_ms", unixMs)
      .text("caption", record.box.wideCaption)
      .hex("caption_hex", record.box.caption)
      .text("text", record.box.wideText)
      .hex("text_hex", record.box.text)
      .raw("buttons", buttonsJson(record.box));
  answerField(line, "script", record.scripted);
  answerField(line, "answer", record.pressed);
  return line;
}

}  // namespace nimbra::tools
