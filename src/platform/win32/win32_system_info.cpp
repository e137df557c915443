#include "platform/win32/win32_system_info.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/win32/c_string.h"
#include "platform/win32/handles.h"
#include "platform/win32/loaded_function.h"

namespace nimbra::win32 {

static_assert(sizeof(OSVERSIONINFOEXA) == 156 && sizeof(OSVERSIONINFOA) == 148,
              "the version records have the sizes that GetVersionExA tells them apart by");

std::optional<platform::VersionRecord> Win32SystemInfo::versionRecord(bool extended) {
  // The extended record starts with the basic one, so one buffer serves both;
  // the size field alone says which one the system is to fill.
  OSVERSIONINFOEXA info{};
  info.dwOSVersionInfoSize = extended ? sizeof(OSVERSIONINFOEXA) : sizeof(OSVERSIONINFOA);
  if (!::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) return std::nullopt;
  platform::VersionRecord record;
  record.major = info.dwMajorVersion;
  record.minor = info.dwMinorVersion;
  record.build = info.dwBuildNumber;
  record.platformId = info.dwPlatformId;
  record.servicePack.assign(info.szCSDVersion,
                            ::strnlen(info.szCSDVersion, sizeof info.szCSDVersion));
  if (extended) {
    record.suiteMask = info.wSuiteMask;
    record.productType = info.wProductType;
  }
  return record;
}

std::uint16_t Win32SystemInfo::processorArchitecture() {
  // GetSystemInfo tells a WoW64 process it runs on x86; only GetNativeSystemInfo
  // (XP and later, so looked up at run time) sees the real processor.
  SYSTEM_INFO info{};
  auto* const getNativeSystemInfo =
      LoadedFunction<decltype(::GetNativeSystemInfo)>("kernel32.dll", "GetNativeSystemInfo");
  if (getNativeSystemInfo)
    getNativeSystemInfo(&info);
  else
    ::GetSystemInfo(&info);
  return info.wProcessorArchitecture;
}

// 0, as GetSystemMetrics reports an unknown metric, when user32 is missing.
int Win32SystemInfo::systemMetric(int index) {
  auto* metric = user32_.get().procedure<decltype(::GetSystemMetrics)>("GetSystemMetrics");
  return metric != nullptr ? metric(index) : 0;
}

std::uint32_t Win32SystemInfo::userDefaultLcid() { return ::GetUserDefaultLCID(); }

std::string Win32SystemInfo::systemDirectory() {
  char folder[MAX_PATH];
  const UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::string text(folder, length);
  if (text.size() > 3 && text.back() == '\\') text.pop_back();
  return text;
}

std::string Win32SystemInfo::oemToAnsi(std::string_view text) {
  // The counted form: it converts every byte, an embedded NUL included, and the
  // result has the length of the input. Without user32 the text stays as it is.
  std::string converted(text);
  auto* convert = user32_.get().procedure<decltype(::OemToCharBuffA)>("OemToCharBuffA");
  if (convert != nullptr && !text.empty())
    convert(text.data(), converted.data(), static_cast<DWORD>(text.size()));
  return converted;
}

std::string Win32SystemInfo::utf8Of(const platform::BoxText& text) {
  const std::wstring wide = WideText(text);
  if (wide.empty()) return {};
  const int units = static_cast<int>(std::min<std::size_t>(wide.size(), 0x7FFFFFFF / 3));
  std::string utf8(static_cast<std::size_t>(units) * 3, '\0');
  const int bytes =
      ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr);
  utf8.resize(static_cast<std::size_t>(std::max(bytes, 0)));
  return utf8;
}
// What shell32's IsUserAnAdmin answers, asked of advapi32 directly: whether
// the Administrators group is enabled in the token. A token filtered by UAC
// holds the group for deny only, which is no membership.
bool Win32SystemInfo::isUserAnAdmin() {
  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  UniqueSid administrators;
  if (!::AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, administrators.put()))
    return false;
  BOOL member = FALSE;
  return ::CheckTokenMembership(nullptr, administrators.get(), &member) && member;
}

bool Win32SystemInfo::processIsElevated() {
  UniqueHandle token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put())) return true;
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  if (::GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size))
    return elevation.TokenIsElevated != 0;
  // Before Vista the information class does not exist, and neither does a
  // split token: the program has the rights of the desktop user.
  return ::GetLastError() != ERROR_INVALID_PARAMETER;
}

std::string Win32SystemInfo::commandLine() { return ::GetCommandLineA(); }

// advapi32's RtlGenRandom (exported as SystemFunction036, XP and later):
// advapi32 is loaded already, and what it loads for the source comes from
// System32 once the process is hardened.
std::optional<std::uint32_t> Win32SystemInfo::cryptoRandom() {
  using GenRandom = BOOLEAN WINAPI(PVOID, ULONG);
  auto* const genRandom = LoadedFunction<GenRandom>("advapi32.dll", "SystemFunction036");
  std::uint32_t value = 0;
  if (!genRandom || !genRandom(&value, sizeof value)) return std::nullopt;
  return value;
}

}  // namespace nimbra::win32
