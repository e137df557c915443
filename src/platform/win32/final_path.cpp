#include "platform/win32/final_path.h"

#include "platform/win32/loaded_function.h"

namespace nimbra::win32 {

std::optional<std::string> FinalPath(HANDLE file) {
  using GetFinalPath = DWORD WINAPI(HANDLE, LPSTR, DWORD, DWORD);
  static auto* const getFinalPath = LoadedFunction<GetFinalPath>("kernel32.dll", "GetFinalPathNameByHandleA");
  if (!getFinalPath) return std::nullopt;
  char path[MAX_PATH * 4];
  const DWORD length = getFinalPath(file, path, sizeof path, 0 /* FILE_NAME_NORMALIZED | VOLUME_NAME_DOS */);
  if (length == 0 || length >= sizeof path) return std::string();
  std::string text(path, length);
  if (text.rfind("\\\\?\\UNC\\", 0) == 0) return "\\\\" + text.substr(8);
  if (text.rfind("\\\\?\\", 0) == 0) return text.substr(4);
  return text;
}

}  // namespace nimbra::win32
