#include "deployment/box_gate.h"

#include <string>

#include "lang/presentation.h"
#include "platform/codes.h"

namespace nimbra {

namespace {

constexpr std::uint32_t kButtonsMask = 0x0F;  // MB_OK, MB_YESNO, ... in the low four bits

bool IsQuestion(std::uint32_t style) { return (style & kButtonsMask) == win::kMbYesNo; }

std::string AnswerName(int answer) {
  switch (answer) {
    case win::kIdYes: return "Yes";
    case win::kIdNo: return "No";
    case win::kIdOk: return "OK";
    case 0: return "none (the box could not be shown)";
  }
  return "button " + std::to_string(answer);
}

std::string BoxKind(std::uint32_t style) {
  if (IsQuestion(style)) return "question";
  return (style & win::kMbIconError) != 0 ? "error" : "message";
}

}  // namespace

int BoxGate::pass(const platform::BoxText& text, const platform::BoxText& caption, std::uint32_t style,
                  std::optional<std::uint16_t> language) {
  const bool question = IsQuestion(style);
  const platform::BoxText said = SystemText(BoxKind(style) + " \"") + caption + SystemText("\": ") + text;
  if (quiet_) {
    log_.record(said + SystemText(question ? " -> No (quiet: not shown)" : " (quiet: not shown)"));
    return question ? win::kIdNo : win::kIdOk;
  }
  // An error is recorded before it is shown: a run ended while its box is
  // still open has logged it all the same.
  if (!question) log_.record(said);
  const int answer = show(text, caption, style, language);
  if (question) log_.record(said + SystemText(" -> " + AnswerName(answer)));
  return answer;
}

int BoxGate::show(const platform::BoxText& text, const platform::BoxText& caption, std::uint32_t style,
                  std::optional<std::uint16_t> language) {
  const platform::PausedWatchdog paused(watchdog_);
  return language ? boxes_.messageBoxEx(text, caption, style, *language) : boxes_.messageBox(text, caption, style);
}

int BoxGate::messageBox(const platform::BoxText& text, const platform::BoxText& caption, std::uint32_t style) {
  return pass(text, caption, style, std::nullopt);
}

int BoxGate::messageBoxEx(const platform::BoxText& text, const platform::BoxText& caption, std::uint32_t style,
                          std::uint16_t language) {
  return pass(text, caption, style, language);
}

}  // namespace nimbra
