#include "fake/fake_message_boxes.h"

#include "platform/codes.h"

namespace nimbra::fake {

int FakeMessageBoxes::messageBox(std::string_view text, std::string_view caption, std::uint32_t style) {
  return show({BoxRecord::Function::MessageBoxA, std::string(caption), std::string(text), style, 0});
}

int FakeMessageBoxes::messageBoxEx(std::string_view text, std::string_view caption, std::uint32_t style,
                                   std::uint16_t language) {
  return show({BoxRecord::Function::MessageBoxExA, std::string(caption), std::string(text), style, language});
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
