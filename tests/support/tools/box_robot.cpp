#include "box_robot.h"

#include <algorithm>
#include <array>

namespace nimbra::tools {

namespace {

// The button ids a message box can hold that the robot knows how to answer,
// in the order in which records list them.
constexpr std::array<int, 4> kButtonIds = {IDYES, IDNO, IDOK, IDCANCEL};

// The message box's static text control; every message box has it.
constexpr int kBoxTextId = 0xFFFF;

std::string windowTextAnsi(HWND window) {
  const int length = GetWindowTextLengthA(window);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), length + 1)));
  return text;
}

std::wstring windowTextWide(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
  return text;
}

std::string dialogItemTextAnsi(HWND box, int id) {
  HWND item = GetDlgItem(box, id);
  if (!item) return {};
  const int length = GetWindowTextLengthA(item);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  text.resize(GetDlgItemTextA(box, id, text.data(), length + 1));
  return text;
}

bool isMessageBoxClass(HWND window) {
  std::array<char, 16> name{};
  const int length = GetClassNameA(window, name.data(), static_cast<int>(name.size()));
  return std::string_view(name.data(), static_cast<std::size_t>(std::max(length, 0))) == "#32770";
}

struct BoxSearch {
  DWORD processId;
  std::vector<HWND> found;
};

BOOL CALLBACK collectBox(HWND window, LPARAM context) {
  auto& search = *reinterpret_cast<BoxSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search.processId && IsWindowVisible(window) && isMessageBoxClass(window)) {
    search.found.push_back(window);
  }
  return TRUE;
}

// The button a user would take to get rid of the box without agreeing.
std::optional<Answer> dismissal(const BoxView& box) {
  for (const int id : {IDCANCEL, IDNO, IDOK}) {
    if (box.button(id)) return answerForButtonId(id);
  }
  return std::nullopt;
}

}  // namespace

std::optional<Answer> parseAnswer(std::string_view word) {
  if (word == "yes") return Answer::Yes;
  if (word == "no") return Answer::No;
  if (word == "ok") return Answer::Ok;
  if (word == "cancel") return Answer::Cancel;
  return std::nullopt;
}

std::string_view answerName(Answer answer) {
  switch (answer) {
    case Answer::Yes: return "yes";
    case Answer::No: return "no";
    case Answer::Ok: return "ok";
    case Answer::Cancel: return "cancel";
  }
  return "?";
}

int answerButtonId(Answer answer) {
  switch (answer) {
    case Answer::Yes: return IDYES;
    case Answer::No: return IDNO;
    case Answer::Ok: return IDOK;
    case Answer::Cancel: return IDCANCEL;
  }
  return 0;
}

std::optional<Answer> answerForButtonId(int id) {
  switch (id) {
    case IDYES: return Answer::Yes;
    case IDNO: return Answer::No;
    case IDOK: return Answer::Ok;
    case IDCANCEL: return Answer::Cancel;
    default: return std::nullopt;
  }
}

const BoxButton* BoxView::button(int id) const {
  const auto found = std::find_if(buttons.begin(), buttons.end(), [id](const BoxButton& b) { return b.id == id; });
  return found == buttons.end() ? nullptr : &*found;
}

std::vector<HWND> findBoxWindows(DWORD processId) {
  BoxSearch search{processId, {}};
  EnumWindows(collectBox, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

BoxView readBox(HWND box) {
  BoxView view;
  view.window = box;
  view.caption = windowTextAnsi(box);
  view.wideCaption = windowTextWide(box);
  view.text = dialogItemTextAnsi(box, kBoxTextId);
  if (HWND textControl = GetDlgItem(box, kBoxTextId)) view.wideText = windowTextWide(textControl);
  for (const int id : kButtonIds) {
    if (HWND button = GetDlgItem(box, id)) {
      view.buttons.push_back({id, button, windowTextAnsi(button), windowTextWide(button)});
    }
  }
  return view;
}

bool pressButton(const BoxView& box, int id) {
  const BoxButton* button = box.button(id);
  if (!button) return false;
  // The notification a click sends; the box's own modal loop takes it.
  return PostMessageA(box.window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                      reinterpret_cast<LPARAM>(button->window)) != FALSE;
}

BoxRobot::BoxRobot(DWORD processId, std::vector<Answer> script, Unscripted unscripted)
    : processId_(processId), script_(std::move(script)), unscripted_(unscripted) {}

std::optional<BoxRecord> BoxRobot::poll() {
  std::erase_if(handled_, [](HWND window) { return !IsWindow(window); });
  for (HWND window : findBoxWindows(processId_)) {
    if (std::find(handled_.begin(), handled_.end(), window) != handled_.end()) continue;

    BoxRecord record;
    record.seenAt = std::chrono::steady_clock::now();
    record.box = readBox(window);
    if (nextAnswer_ < script_.size()) record.scripted = script_[nextAnswer_++];

    std::optional<Answer> choice = record.scripted;
    if (choice && !record.box.button(answerButtonId(*choice))) choice.reset();
    if (!choice && unscripted_ == Unscripted::Dismiss) choice = dismissal(record.box);
    if (choice && pressButton(record.box, answerButtonId(*choice))) record.pressed = choice;

    handled_.push_back(window);
    records_.push_back(record);
    return record;
  }
  return std::nullopt;
}

BackgroundRobot::BackgroundRobot(DWORD processId, std::vector<Answer> script, Unscripted unscripted,
                                 std::chrono::milliseconds interval)
    : robot_(processId, std::move(script), unscripted), thread_([this, interval] { run(interval); }) {}

BackgroundRobot::~BackgroundRobot() { stop(); }

void BackgroundRobot::run(std::chrono::milliseconds interval) {
  while (!stopping_.load()) {
    {
      const std::lock_guard lock(mutex_);
      robot_.poll();
    }
    std::this_thread::sleep_for(interval);
  }
}

std::vector<BoxRecord> BackgroundRobot::stop() {
  stopping_.store(true);
  if (thread_.joinable()) thread_.join();
  return records();
}

std::vector<BoxRecord> BackgroundRobot::records() const {
  const std::lock_guard lock(mutex_);
  return robot_.records();
}

}  // namespace nimbra::tools
