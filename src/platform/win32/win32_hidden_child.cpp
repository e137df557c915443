#include "platform/win32/win32_hidden_child.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>

#include "platform/win32/c_string.h"
#include "platform/win32/handles.h"
#include "platform/win32/loaded_function.h"

namespace nimbra::win32 {

namespace {

// How often a running child is looked at; "ver" takes about 100 ms.
constexpr DWORD kPollMs = 10;

// The time a child is given, from its start.
class Deadline {
 public:
  explicit Deadline(std::uint32_t timeoutMs) : started_(::GetTickCount()), timeoutMs_(timeoutMs) {}
  // The difference stays right when the tick count wraps (every 49.7 days).
  DWORD remainingMs() const {
    const DWORD elapsed = ::GetTickCount() - started_;
    return elapsed >= timeoutMs_ ? 0 : timeoutMs_ - elapsed;
  }

 private:
  DWORD started_;
  DWORD timeoutMs_;
};

// Reads what the pipe holds now, without blocking; keeps the first
// kChildOutputLimit bytes and drops the rest, so a flood costs no memory.
// A child that writes without pause keeps the pipe full, so the deadline is
// checked on every read: false when it passed.
bool drainPipe(HANDLE pipe, const Deadline& deadline, std::string& output) {
  char buffer[4096];
  while (deadline.remainingMs() > 0) {
    DWORD available = 0;
    if (!::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) || available == 0) return true;
    DWORD got = 0;
    if (!::ReadFile(pipe, buffer, std::min<DWORD>(available, sizeof buffer), &got, nullptr) || got == 0) return true;
    const std::size_t room = platform::kChildOutputLimit - std::min(output.size(), platform::kChildOutputLimit);
    output.append(buffer, std::min<std::size_t>(got, room));
  }
  return false;
}

// Collects the output until the child ends or the time is up. A grandchild
// that inherited the pipe and keeps it full after the child ended holds the
// last read until the deadline, which then counts as a time-out too.
void collectUntilEnd(HANDLE process, HANDLE pipe, const Deadline& deadline, platform::ChildOutput& result) {
  for (;;) {
    const DWORD remainingMs = drainPipe(pipe, deadline, result.output) ? deadline.remainingMs() : 0;
    if (remainingMs == 0) {
      ::TerminateProcess(process, 1);
      ::WaitForSingleObject(process, 1000);
      result.timedOut = true;
      return;
    }
    if (::WaitForSingleObject(process, std::min(kPollMs, remainingMs)) == WAIT_OBJECT_0) {
      result.timedOut = !drainPipe(pipe, deadline, result.output);
      return;
    }
  }
}

// The child's whole environment: the Windows folder as SystemRoot and windir,
// and the system folder as PATH, read from the system itself. Our own
// environment stays out: the elevated installer's may come from the user
// (ComSpec, PATHEXT, PROMPT, or anything a command line expands). ANSI
// strings "name=value", each ending in NUL, sorted by name as CreateProcess
// expects, and an empty one to end the block.
std::string minimalEnvironment() {
  std::string block;
  const auto add = [&block](const char* name, const char* value, UINT length) {
    if (length == 0 || length >= MAX_PATH) return;
    block.append(name).append(1, '=').append(value, length).append(1, '\0');
  };
  char windowsFolder[MAX_PATH], systemFolder[MAX_PATH];
  const UINT windowsLength = ::GetSystemWindowsDirectoryA(windowsFolder, MAX_PATH);
  const UINT systemLength = ::GetSystemDirectoryA(systemFolder, MAX_PATH);
  add("PATH", systemFolder, systemLength);
  add("SystemRoot", windowsFolder, windowsLength);
  add("windir", windowsFolder, windowsLength);
  // An empty block still needs its two NULs.
  block.append(block.empty() ? 2 : 1, '\0');
  return block;
}

// The attribute list that names the one handle a child inherits
// (PROC_THREAD_ATTRIBUTE_HANDLE_LIST): no other inheritable handle of the
// process (one a library or another thread opened) reaches the child. Vista
// and later, looked up at run time: where it is missing, get() is null and
// the child inherits every inheritable handle of the process, as before.
class InheritOnly {
 public:
  explicit InheritOnly(HANDLE handle) : handle_(handle) {
    const auto initialize = LoadedFunction<decltype(::InitializeProcThreadAttributeList)>(
        "kernel32.dll", "InitializeProcThreadAttributeList");
    const auto update =
        LoadedFunction<decltype(::UpdateProcThreadAttribute)>("kernel32.dll", "UpdateProcThreadAttribute");
    remove_ =
        LoadedFunction<decltype(::DeleteProcThreadAttributeList)>("kernel32.dll", "DeleteProcThreadAttributeList");
    if (!initialize || !update || !remove_) return;
    SIZE_T size = 0;
    initialize(nullptr, 1, 0, &size);  // fails, giving the size
    if (size == 0) return;
    storage_ = std::make_unique<std::byte[]>(size);
    const auto list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage_.get());
    if (!initialize(list, 1, 0, &size)) return;
    // The list keeps the address of handle_, not its value.
    if (!update(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &handle_, sizeof handle_, nullptr, nullptr)) {
      remove_(list);
      return;
    }
    list_ = list;
  }
  ~InheritOnly() {
    if (list_ != nullptr) remove_(list_);
  }
  InheritOnly(const InheritOnly&) = delete;
  InheritOnly& operator=(const InheritOnly&) = delete;

  LPPROC_THREAD_ATTRIBUTE_LIST get() const { return list_; }

 private:
  HANDLE handle_;
  decltype(&::DeleteProcThreadAttributeList) remove_ = nullptr;
  std::unique_ptr<std::byte[]> storage_;
  LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

}  // namespace

platform::ChildOutput RunHiddenCapturingOutput(std::string_view application, std::string_view commandLine,
                                               std::uint32_t creationFlags, std::string_view directory,
                                               std::uint32_t timeoutMs) {
  platform::ChildOutput result;
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  UniqueHandle readEnd, writeEnd;
  if (!::CreatePipe(readEnd.put(), writeEnd.put(), &inheritable, 0)) return result;
  // Without the attribute list the child inherits every inheritable handle
  // of ours; of the pipe, only the write end is one.
  ::SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
  const InheritOnly inheritOnly(writeEnd.get());

  // The extended record only with the list; without it, the call is the plain one.
  const bool extended = inheritOnly.get() != nullptr;
  STARTUPINFOEXA startupEx{};
  STARTUPINFOA& startup = startupEx.StartupInfo;
  startup.cb = extended ? sizeof startupEx : sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  startup.wShowWindow = SW_HIDE;
  startup.hStdOutput = writeEnd.get();
  startupEx.lpAttributeList = inheritOnly.get();
  const DWORD flags = creationFlags | (extended ? EXTENDED_STARTUPINFO_PRESENT : 0);
  // CreateProcessA may write into the command line, so it gets its own copy.
  std::string mutableCommandLine = cString(commandLine);
  const std::string applicationPath = cString(application), folder = cString(directory);
  std::string environment = minimalEnvironment();
  PROCESS_INFORMATION child{};
  if (!::CreateProcessA(applicationPath.c_str(), mutableCommandLine.data(), nullptr, nullptr, TRUE, flags,
                        environment.data(), folder.empty() ? nullptr : folder.c_str(), &startup, &child))
    return result;
  const UniqueHandle process(child.hProcess);
  const UniqueHandle thread(child.hThread);
  result.started = true;
  // Ours closed, the pipe belongs to the child alone.
  writeEnd.reset();
  collectUntilEnd(process.get(), readEnd.get(), Deadline(timeoutMs), result);
  return result;
}

}  // namespace nimbra::win32
