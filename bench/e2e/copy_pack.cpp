// The yardstick of the whole-installer benchmark: one plain CopyFileA of the
// pack, nothing else, so that the installer's own cost stands out.
//
//   wine copy_pack.exe SOURCE TARGET      exit code 0 when copied, 1 otherwise
#include <windows.h>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  return CopyFileA(argv[1], argv[2], FALSE) ? 0 : 1;
}
