#include "platform/win32/final_path.h"

#include "platform/win32/loaded_function.h"

namespace nimbra::win32 {
namespace {

std::string WithoutTrailingSeparators(std::string path) {
  while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  return path;
}

}  // namespace

std::optional<std::string> FinalPath(HANDLE file) {
  using GetFinalPath = DWORD WINAPI(HANDLE, LPSTR, DWORD, DWORD);
  static auto* const getFinalPath = LoadedFunction<GetFinalPath>("kernel32.dll", "GetFinalPathNameByHandleA");
  if (!getFinalPath) return std::nullopt;
  char path[MAX_PATH * 4];
  const DWORD length = getFinalPath(file, path, sizeof path, 0 /* FILE_NAME_NORMALIZED | VOLUME_NAME_DOS */);
  if (length == 0 || length >= sizeof path) return std::string();
  std::string text(path, length);
  if (text.rfind("\\\\?\\UNC\\", 0) == 0) return WithoutTrailingSeparators("\\\\" + text.substr(8));
  if (text.rfind("\\\\?\\", 0) == 0) return WithoutTrailingSeparators(text.substr(4));
  return WithoutTrailingSeparators(text);
}

std::optional<std::string> LongFullPath(const std::string& path) {
  char full[MAX_PATH * 4];
  DWORD length = ::GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  if (length == 0 || length >= sizeof full) return std::nullopt;
  // Only to compare: a short name the system cannot expand fails the comparison.
  char longPath[MAX_PATH * 4];
  const DWORD longLength = ::GetLongPathNameA(full, longPath, sizeof longPath);
  if (longLength == 0 || longLength >= sizeof longPath) return WithoutTrailingSeparators(std::string(full, length));
  return WithoutTrailingSeparators(std::string(longPath, longLength));
}

bool IsAtPath(HANDLE handle, const std::string& path) {
  const std::optional<std::string> final = FinalPath(handle);
  if (!final) return true;  // no way to ask
  const std::optional<std::string> asked = LongFullPath(path);
  return asked && !final->empty() && ::lstrcmpiA(asked->c_str(), final->c_str()) == 0;
}

}  // namespace nimbra::win32
