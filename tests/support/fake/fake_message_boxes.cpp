#include "fake/fake_message_boxes.h"

#include "platform/codes.h"

namespace nimbra::fake {

int FakeMessageBoxes::messageBox(const platform::BoxText& text, const platform::BoxText& caption,
                                 std::uint32_t style) {
  return show({BoxRecord::Function::MessageBoxW, caption.bytes(), text.bytes(), style, 0, caption.pieces(),
               text.pieces()});
}

int FakeMessageBoxes::messageBoxEx(const platform::BoxText& text, const platform::BoxText& caption,
                                   std::uint32_t style, std::uint16_t language) {
  return show({BoxRecord::Function::MessageBoxExW, caption.bytes(), text.bytes(), style, language, caption.pieces(),
               text.pieces()});
}

int FakeMessageBoxes::show(BoxRecord record) {
  shown.push_back(record);
  if (onShow) onShow(shown.back());
  if (!answers.empty()) {
    int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  return (record.style & 0xF) == win::kMbYesNo ? win::kIdYes : win::kIdOk;
}

}  // namespace nimbra::fake
