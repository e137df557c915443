// Scripted message boxes with a record of every box shown.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/message_boxes.h"

namespace nimbra::fake {

struct BoxRecord {
  enum class Function { MessageBoxA, MessageBoxExA };
  Function function;
  std::string caption;
  std::string text;
  std::uint32_t style;
  std::uint16_t language;  // 0 for MessageBoxA
};

class FakeMessageBoxes : public platform::MessageBoxes {
 public:
  std::vector<BoxRecord> shown;
  // Answers in order; when they run out a Yes/No box is answered IDYES and any other IDOK.
  std::deque<int> answers;
  std::function<void(const BoxRecord&)> onShow;

  int messageBox(std::string_view text, std::string_view caption, std::uint32_t style) override;
  int messageBoxEx(std::string_view text, std::string_view caption, std::uint32_t style,
                   std::uint16_t language) override;

 private:
  int show(BoxRecord record);
};

}  // namespace nimbra::fake
