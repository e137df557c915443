// The box robot: finds the message boxes of a process, reads them and answers
// them from a script, the way a user would click their buttons.
//
// A message box is a visible top-level window of class "#32770" whose thread
// belongs to the process; its text is the static control 0xFFFF, its buttons
// the controls IDOK, IDCANCEL, IDYES and IDNO. An answer is posted as the
// button's BN_CLICKED notification, so the robot never blocks on the box.
//
// In-process, while the test's own thread sits in MessageBoxA:
//   BackgroundRobot robot(GetCurrentProcessId(), {Answer::Yes});
//   const int result = MessageBoxA(nullptr, "Text", "Caption", MB_YESNO);
//   const std::vector<BoxRecord> boxes = robot.stop();
// Or around another process, polling: BoxRobot robot(pid, script);
// while (...) if (auto record = robot.poll()) ...
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace nimbra::tools {

enum class Answer { Yes, No, Ok, Cancel };

// "yes", "no", "ok", "cancel" (lower case only); nothing for any other word.
std::optional<Answer> parseAnswer(std::string_view word);
std::string_view answerName(Answer answer);
// IDYES, IDNO, IDOK, IDCANCEL.
int answerButtonId(Answer answer);
// The answer that clicks the button with this id; nothing for other ids.
std::optional<Answer> answerForButtonId(int id);

struct BoxButton {
  int id = 0;              // IDYES, IDNO, IDOK or IDCANCEL
  HWND window = nullptr;
  std::string text;        // ANSI bytes, as GetWindowTextA gives them ("&Yes")
  std::wstring wideText;   // as shown; tells "&Да" from "&Yes" in any code page
};

struct BoxView {
  HWND window = nullptr;
  std::string caption;      // ANSI bytes
  std::wstring wideCaption;
  std::string text;         // ANSI bytes of the static control 0xFFFF
  std::wstring wideText;
  std::vector<BoxButton> buttons;  // those present, in the order IDYES, IDNO, IDOK, IDCANCEL

  // The button with this id, or null.
  const BoxButton* button(int id) const;
};

// The visible top-level "#32770" windows of the process, in Z order.
std::vector<HWND> findBoxWindows(DWORD processId);
// Caption, text and buttons of the box as they are now.
BoxView readBox(HWND box);
// Posts the click of the button with this id. False when the box has no such
// button (nothing is posted) or the post fails.
bool pressButton(const BoxView& box, int id);

struct BoxRecord {
  BoxView box;
  std::optional<Answer> scripted;  // the script's answer; none once the script ran out
  std::optional<Answer> pressed;   // the button clicked; none when the box was left open
  std::chrono::steady_clock::time_point seenAt;
};

// What the robot does with a box when its script has no answer left, or when
// the scripted button is missing from the box.
enum class Unscripted {
  Dismiss,  // click Cancel, else No, else OK: the program goes on and the test sees why
  Leave,    // record the box and leave it open (a time-out will end the program)
};

// Answers the boxes of one process from a script, one answer per box, in the
// order in which they appear. Not thread-safe; see BackgroundRobot.
class BoxRobot {
 public:
  BoxRobot(DWORD processId, std::vector<Answer> script, Unscripted unscripted = Unscripted::Dismiss);

  // Looks once for a box that has not been handled yet; reads it, answers it
  // and returns its record. Nothing when there is no new box.
  std::optional<BoxRecord> poll();

  const std::vector<BoxRecord>& records() const { return records_; }
  // Script answers not used yet.
  std::size_t answersLeft() const { return script_.size() - nextAnswer_; }

 private:
  DWORD processId_;
  std::vector<Answer> script_;
  std::size_t nextAnswer_ = 0;
  Unscripted unscripted_;
  std::vector<BoxRecord> records_;
  // Boxes already handled that may still be on screen until their thread
  // takes the posted click; forgotten once the window is gone.
  std::vector<HWND> handled_;
};

// A BoxRobot polling on its own thread, for a test whose thread is blocked in
// a message box. Stops (and joins) at stop() or destruction.
class BackgroundRobot {
 public:
  BackgroundRobot(DWORD processId, std::vector<Answer> script,
                  Unscripted unscripted = Unscripted::Dismiss,
                  std::chrono::milliseconds interval = std::chrono::milliseconds(20));
  ~BackgroundRobot();
  BackgroundRobot(const BackgroundRobot&) = delete;
  BackgroundRobot& operator=(const BackgroundRobot&) = delete;

  // Stops polling and returns every box handled.
  std::vector<BoxRecord> stop();
  // The boxes handled so far.
  std::vector<BoxRecord> records() const;

 private:
  void run(std::chrono::milliseconds interval);

  BoxRobot robot_;
  mutable std::mutex mutex_;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

}  // namespace nimbra::tools
