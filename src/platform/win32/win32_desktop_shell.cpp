#include "platform/win32/win32_desktop_shell.h"

#include <windows.h>
// windows.h first: the shell headers rely on its types.
#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlobj.h>

#include <memory>
#include <string>

#include "platform/win32/handles.h"
#include "platform/win32/process_elevation.h"
#include "platform/win32/system_library.h"

namespace nimbra::win32 {

namespace {

using platform::DesktopShellResult;
using Step = platform::DesktopShellStep;

// The interface ids come from the headers' __uuidof declarations: linking
// libuuid's tables instead would add about 36 KB of GUIDs to the installer.
// This service id has no such declaration.
constexpr GUID kTopLevelBrowserService = {0x4c96be40, 0x915c, 0x11cf, {0x99, 0xd3, 0x00, 0xaa, 0x00, 0x4a, 0xe8, 0x37}};

// COM and automation, loaded on the first start through the desktop shell:
// the installer must not import them (their load would cost every run), and
// never from anywhere but System32. They stay loaded for the process: COM's
// security is set once per process, in them, and a call given up on may
// still be running in them.
struct ComFunctions {
  SystemLibrary ole32{"ole32.dll"};
  SystemLibrary oleaut32{"oleaut32.dll"};
  SystemLibrary user32{"user32.dll"};
  decltype(&::CoInitializeEx) coInitializeEx = ole32.procedure<decltype(::CoInitializeEx)>("CoInitializeEx");
  decltype(&::CoInitializeSecurity) coInitializeSecurity =
      ole32.procedure<decltype(::CoInitializeSecurity)>("CoInitializeSecurity");
  decltype(&::CoUninitialize) coUninitialize = ole32.procedure<decltype(::CoUninitialize)>("CoUninitialize");
  decltype(&::CoCreateInstance) coCreateInstance =
      ole32.procedure<decltype(::CoCreateInstance)>("CoCreateInstance");
  decltype(&::SysAllocStringLen) sysAllocStringLen =
      oleaut32.procedure<decltype(::SysAllocStringLen)>("SysAllocStringLen");
  decltype(&::SysFreeString) sysFreeString = oleaut32.procedure<decltype(::SysFreeString)>("SysFreeString");
  decltype(&::GetWindowThreadProcessId) windowProcess =
      user32.procedure<decltype(::GetWindowThreadProcessId)>("GetWindowThreadProcessId");

  bool complete() const {
    return coInitializeEx && coInitializeSecurity && coUninitialize && coCreateInstance && sysAllocStringLen &&
           sysFreeString && windowProcess;
  }
};

const ComFunctions& Com() {
  static const ComFunctions* const loaded = new ComFunctions();  // never freed: see ComFunctions
  return *loaded;
}

// A security descriptor that lets no one call into this process: the
// installer serves no COM object. Absolute, with owner and group, as
// CoInitializeSecurity requires; kept for the process, since COM may keep
// what it is given. Null when it cannot be made.
PSECURITY_DESCRIPTOR NoCallers() {
  struct Storage {
    SECURITY_DESCRIPTOR descriptor;
    ACL noEntries;
    UniqueSid administrators;
  };
  auto* storage = new Storage{};
  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  if (!::AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0,
                                  0, 0, 0, storage->administrators.put()) ||
      !::InitializeAcl(&storage->noEntries, sizeof storage->noEntries, ACL_REVISION) ||
      !::InitializeSecurityDescriptor(&storage->descriptor, SECURITY_DESCRIPTOR_REVISION) ||
      !::SetSecurityDescriptorOwner(&storage->descriptor, storage->administrators.get(), FALSE) ||
      !::SetSecurityDescriptorGroup(&storage->descriptor, storage->administrators.get(), FALSE) ||
      !::SetSecurityDescriptorDacl(&storage->descriptor, TRUE, &storage->noEntries, FALSE)) {
    const DWORD error = ::GetLastError();
    delete storage;
    ::SetLastError(error);
    return nullptr;
  }
  return &storage->descriptor;
}

// The process's COM security, set before any interface reaches the shell, a
// stranger: nothing the shell hands over may make COM load code of its
// choosing (EOAC_NO_CUSTOM_MARSHAL), no server is started as the installer
// (EOAC_DISABLE_AAA), the shell may learn who calls but never act as the
// caller (RPC_C_IMP_LEVEL_IDENTIFY), every call is authenticated
// (RPC_C_AUTHN_LEVEL_CONNECT: with a descriptor it cannot be none, and the
// machine's default could be), and no one may call in. Once per process: the
// first answer stands, RPC_E_TOO_LATE too when COM was set up before.
HRESULT SecureCom(const ComFunctions& com) {
  static const HRESULT secured = [&com] {
    const PSECURITY_DESCRIPTOR noCallers = NoCallers();
    if (!noCallers) return HRESULT_FROM_WIN32(::GetLastError());
    return com.coInitializeSecurity(noCallers, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_CONNECT,
                                    RPC_C_IMP_LEVEL_IDENTIFY, nullptr, EOAC_NO_CUSTOM_MARSHAL | EOAC_DISABLE_AAA,
                                    nullptr);
  }();
  return secured;
}

// Releases its interface once, when it goes out of scope.
template <typename Interface>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (object_) object_->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  Interface* operator->() const { return object_; }
  Interface* get() const { return object_; }
  Interface** put() { return &object_; }
  void** putVoid() { return reinterpret_cast<void**>(&object_); }

 private:
  Interface* object_ = nullptr;
};

// An automation string of ANSI text, freed with its owner.
class Bstr {
 public:
  Bstr(const ComFunctions& com, std::string_view ansi) : com_(com) {
    const int length = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), length);
    text_ = com.sysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  }
  ~Bstr() {
    if (text_) com_.sysFreeString(text_);
  }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;

  BSTR get() const { return text_; }
  VARIANT variant() const {
    VARIANT value{};
    value.vt = VT_BSTR;
    value.bstrVal = text_;
    return value;
  }

 private:
  const ComFunctions& com_;
  BSTR text_ = nullptr;
};

DesktopShellResult failed(Step step, HRESULT result) { return {step, static_cast<std::int32_t>(result)}; }

// S_FALSE without an object (FindWindowSW when there is no desktop) counts as
// a failure too.
HRESULT checked(HRESULT result, const void* object) {
  if (FAILED(result)) return result;
  return result == S_OK && object != nullptr ? S_OK : E_FAIL;
}

// Whether the process that owns the shell's desktop window may be asked to
// start the program, by mayStart.
DesktopShellResult checkShellRights(const ComFunctions& com, long window, platform::DesktopShellCheck mayStart) {
  DWORD processId = 0;
  ReadElevation read{platform::ShellElevation::Unknown, ERROR_INVALID_WINDOW_HANDLE};
  if (window != 0 && com.windowProcess(reinterpret_cast<HWND>(static_cast<LONG_PTR>(window)), &processId) != 0)
    read = ElevationOfProcess(processId);
  if (mayStart(read.elevation)) return {};
  if (read.elevation != platform::ShellElevation::Unknown) return failed(Step::ShellRights, S_OK);
  return failed(Step::ShellRights, HRESULT_FROM_WIN32(read.error != 0 ? read.error : ERROR_GEN_FAILURE));
}

// The desktop's automation object: desktop window -> its browser -> the
// active view -> the view's background -> its application object. The
// shell's process must pass mayStart before it is asked more than where its
// desktop is.
DesktopShellResult findDesktopDispatch(const ComFunctions& com, platform::DesktopShellCheck mayStart,
                                       ComPtr<IShellDispatch2>& shell) {
  ComPtr<IShellWindows> windows;
  HRESULT hr = com.coCreateInstance(__uuidof(ShellWindows), nullptr, CLSCTX_ALL, __uuidof(IShellWindows), windows.putVoid());
  if ((hr = checked(hr, windows.get())) != S_OK) return failed(Step::ShellWindows, hr);

  VARIANT location{};
  location.vt = VT_I4;
  location.lVal = CSIDL_DESKTOP;
  VARIANT empty{};
  long window = 0;
  ComPtr<IDispatch> desktop;
  // Each call's result is taken before its object is read: the order in which
  // a call's arguments are evaluated is unspecified, and the i686 build reads
  // `desktop.get()` before FindWindowSW has filled it.
  hr = windows->FindWindowSW(&location, &empty, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, desktop.put());
  if ((hr = checked(hr, desktop.get())) != S_OK) return failed(Step::FindDesktop, hr);
  if (DesktopShellResult rights = checkShellRights(com, window, mayStart); !rights.started()) return rights;

  ComPtr<IServiceProvider> provider;
  ComPtr<IShellBrowser> browser;
  hr = desktop->QueryInterface(__uuidof(IServiceProvider), provider.putVoid());
  if (SUCCEEDED(hr)) hr = provider->QueryService(kTopLevelBrowserService, __uuidof(IShellBrowser), browser.putVoid());
  if ((hr = checked(hr, browser.get())) != S_OK) return failed(Step::Browser, hr);

  ComPtr<IShellView> view;
  hr = browser->QueryActiveShellView(view.put());
  if ((hr = checked(hr, view.get())) != S_OK) return failed(Step::View, hr);

  ComPtr<IDispatch> background;
  ComPtr<IShellFolderViewDual> folderView;
  hr = view->GetItemObject(SVGIO_BACKGROUND, __uuidof(IDispatch), background.putVoid());
  if (SUCCEEDED(hr) && background.get()) hr = background->QueryInterface(__uuidof(IShellFolderViewDual), folderView.putVoid());
  if ((hr = checked(hr, folderView.get())) != S_OK) return failed(Step::Background, hr);

  ComPtr<IDispatch> application;
  hr = folderView->get_Application(application.put());
  if (SUCCEEDED(hr) && application.get()) hr = application->QueryInterface(__uuidof(IShellDispatch2), shell.putVoid());
  if ((hr = checked(hr, shell.get())) != S_OK) return failed(Step::Application, hr);
  return {};
}

DesktopShellResult executeThroughDesktop(const ComFunctions& com, std::string_view verb, std::string_view file,
                                         std::string_view parameters, std::string_view directory, int showCommand,
                                         platform::DesktopShellCheck mayStart) {
  ComPtr<IShellDispatch2> shell;
  if (DesktopShellResult found = findDesktopDispatch(com, mayStart, shell); !found.started()) return found;
  const Bstr fileText(com, file), parametersText(com, parameters), directoryText(com, directory), verbText(com, verb);
  VARIANT show{};
  show.vt = VT_I4;
  show.lVal = showCommand;
  const HRESULT hr = shell->ShellExecute(fileText.get(), parametersText.variant(), directoryText.variant(),
                                         verbText.variant(), show);
  // Only S_OK is a start: a shell that could not start the program may say
  // S_FALSE, which FAILED does not count (Wine's does).
  if (hr != S_OK) return failed(Step::Execute, hr);
  return {};
}

DesktopShellResult executeInOwnApartment(std::string_view verb, std::string_view file, std::string_view parameters,
                                         std::string_view directory, int showCommand,
                                         platform::DesktopShellCheck mayStart) {
  const ComFunctions& com = Com();
  if (!com.complete()) return failed(Step::LoadCom, S_OK);
  const HRESULT initialized = com.coInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  if (FAILED(initialized)) return failed(Step::InitializeCom, initialized);
  DesktopShellResult result;
  if (const HRESULT secured = SecureCom(com); secured != S_OK)
    result = failed(Step::Security, secured);
  else  // every interface is released inside the call, before COM goes
    result = executeThroughDesktop(com, verb, file, parameters, directory, showCommand, mayStart);
  com.coUninitialize();
  return result;
}

// One start, handed to the thread that makes it.
struct ShellJob {
  std::string verb, file, parameters, directory;
  int showCommand;
  platform::DesktopShellCheck mayStart;
  DesktopShellResult result;
};

DWORD WINAPI RunShellJob(LPVOID parameter) {
  auto& job = *static_cast<ShellJob*>(parameter);
  job.result =
      executeInOwnApartment(job.verb, job.file, job.parameters, job.directory, job.showCommand, job.mayStart);
  return 0;
}

}  // namespace

DesktopShellResult ShellExecuteThroughDesktop(std::string_view verb, std::string_view file,
                                              std::string_view parameters, std::string_view directory,
                                              int showCommand, platform::DesktopShellCheck mayStart) {
  // Every call goes to the shell's process, which may hang: the calls run on
  // a thread of their own, which is given up, not waited for, when the shell
  // does not answer in time. It then ends with the process. Without that
  // thread nothing would bound them, so none is made.
  auto job = std::make_unique<ShellJob>(ShellJob{std::string(verb), std::string(file), std::string(parameters),
                                                 std::string(directory), showCommand, mayStart, {}});
  const UniqueHandle thread(::CreateThread(nullptr, 0, RunShellJob, job.get(), 0, nullptr));
  if (!thread) return failed(Step::NoThread, HRESULT_FROM_WIN32(::GetLastError()));
  if (::WaitForSingleObject(thread.get(), platform::kDesktopShellAnswerMs) != WAIT_OBJECT_0) {
    static_cast<void>(job.release());  // still the thread's: freed with the process
    return failed(Step::NoAnswer, HRESULT_FROM_WIN32(ERROR_TIMEOUT));
  }
  return job->result;
}

}  // namespace nimbra::win32
