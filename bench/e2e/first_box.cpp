// The first-box floor of the whole-installer benchmark: a program with the
// installer's manifest that shows one question, as the installer asks it, at
// once. The time from its start to the box is what no installer can beat.
//
//   wine first-box.exe        exit code: the button pressed (6 Yes, 7 No)
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return MessageBoxA(nullptr, "Install the new sound pack?", "Nimbra",
                     MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL | MB_TOPMOST);
}
