#include "platform/win32/process_elevation.h"

#include "platform/win32/handles.h"

namespace nimbra::win32 {

ReadElevation ElevationOfProcess(DWORD processId) {
  // The least access that opens another user's process as well as our own;
  // a token's elevation needs no more than TOKEN_QUERY.
  const UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  UniqueHandle token;
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  if (!process || !::OpenProcessToken(process.get(), TOKEN_QUERY, token.put()) ||
      !::GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size))
    return {platform::ShellElevation::Unknown, ::GetLastError()};
  if (!elevation.TokenIsElevated) return {platform::ShellElevation::NotElevated, 0};
  // Elevated by a split token (an administrator's filtered one set aside), or
  // with the user's only one: only the first would hand on rights the
  // desktop user's programs lack.
  TOKEN_ELEVATION_TYPE type = TokenElevationTypeFull;
  if (!::GetTokenInformation(token.get(), TokenElevationType, &type, sizeof type, &size))
    return {platform::ShellElevation::Unknown, ::GetLastError()};
  return {type == TokenElevationTypeDefault ? platform::ShellElevation::ElevatedAlone : platform::ShellElevation::Elevated,
          0};
}

}  // namespace nimbra::win32
