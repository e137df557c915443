// The limit of the whole-installer benchmark: the pack written the way the
// installer writes it (a new file beside the target, written in 1 MiB pieces
// and flushed, then moved over the target), by a program that does nothing
// else. The source is mapped, as the installer's resource is.
//
//   wine safe-write.exe SOURCE TARGET     exit code 0 written, 1 failed, 2 usage
//
// safe-write-gui.exe is the same program importing user32, advapi32 and
// shell32 as well (never called): what loading them at start costs.
#include <windows.h>
#ifdef NIMBRA_BENCH_GUI_IMPORTS
#include <shlobj.h>
#endif

#include <algorithm>
#include <string>

namespace {

constexpr DWORD kChunk = 1024 * 1024;

bool writeAll(HANDLE file, const BYTE* bytes, DWORD size) {
  while (size > 0) {
    const DWORD piece = std::min(size, kChunk);
    DWORD written = 0;
    if (!WriteFile(file, bytes, piece, &written, nullptr) || written != piece) return false;
    bytes += piece;
    size -= piece;
  }
  return true;
}

bool writeSafely(const BYTE* bytes, DWORD size, const char* target) {
  const std::string temporary = std::string(target) + ".new";
  const HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool written = writeAll(file, bytes, size) && FlushFileBuffers(file);
  CloseHandle(file);
  if (written && MoveFileExA(temporary.c_str(), target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  DeleteFileA(temporary.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef NIMBRA_BENCH_GUI_IMPORTS
  // Never true: these calls are here for their imports alone.
  if (argc == 99) return IsUserAnAdmin() + GetSystemMetrics(SM_CXSCREEN) + RegCloseKey(nullptr);
#endif
  if (argc != 3) return 2;
  const HANDLE source = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (source == INVALID_HANDLE_VALUE) return 1;
  const DWORD size = GetFileSize(source, nullptr);
  const HANDLE mapping = CreateFileMappingA(source, nullptr, PAGE_READONLY, 0, 0, nullptr);
  const void* view = mapping != nullptr ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
  const bool written = view != nullptr && writeSafely(static_cast<const BYTE*>(view), size, argv[2]);
  if (view != nullptr) UnmapViewOfFile(view);
  if (mapping != nullptr) CloseHandle(mapping);
  CloseHandle(source);
  return written ? 0 : 1;
}
