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
  return {elevation.TokenIsElevated ? platform::ShellElevation::Elevated : platform::ShellElevation::NotElevated, 0};
}

}  // namespace nimbra::win32
