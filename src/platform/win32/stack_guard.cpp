// The stack protector's guard and its failure handlers, in place of the
// toolchain's libssp. libssp seeds its guard in a constructor through
// CryptAcquireContextA and CryptGenRandom, which load the crypto providers
// and, with them, user32, gdi32, ole32 and more: before WinMain has locked the
// DLL search to System32 (a planted DLL beside the installer could be loaded),
// and in every run, a silent one too. Defined in the program, libssp's copy
// (which holds all four symbols) is never linked in; its fortified string and
// memory functions still are, and report here.
#include <windows.h>

#include <cstdint>

namespace {

// Ends the process at once: after a corrupted stack nothing of it can be
// trusted, not even the exception handlers an overflow may have overwritten.
// The code is the one Windows gives a program its own check stops.
[[noreturn]] void Stop(const char* why) {
  ::OutputDebugStringA(why);
  ::TerminateProcess(::GetCurrentProcess(), 0xC0000409 /* STATUS_STACK_BUFFER_OVERRUN */);
  __builtin_unreachable();
}

}  // namespace

// The compiler calls these itself, unseen by link-time optimisation, which
// would drop them as unused.
extern "C" {

// Not zero before the seed, so that no frame ever has a canary that a string
// overflow can write.
__attribute__((used)) std::uintptr_t __stack_chk_guard = 0xBB40E64Eu;

[[noreturn, gnu::used]] void __stack_chk_fail() { Stop("*** stack smashing detected ***"); }
[[noreturn, gnu::used]] void __chk_fail() { Stop("*** buffer overflow detected ***"); }

}  // extern "C"

namespace {

// Seeded from what kernel32 tells without loading anything, as Windows'
// compilers seed their cookie: the time, the counters, the ids and, through
// ASLR, a stack address. First among the constructors and unprotected itself:
// no frame that checks the guard is active while it changes.
__attribute__((constructor(101), no_stack_protector)) void SeedStackGuard() {
  FILETIME time{};
  ::GetSystemTimeAsFileTime(&time);
  LARGE_INTEGER counter{};
  ::QueryPerformanceCounter(&counter);
  std::uintptr_t seed = time.dwLowDateTime ^ time.dwHighDateTime;
  seed ^= ::GetCurrentProcessId() << 16 ^ ::GetCurrentThreadId() ^ ::GetTickCount();
  seed ^= counter.LowPart ^ static_cast<std::uintptr_t>(counter.HighPart) << 8;
  seed ^= reinterpret_cast<std::uintptr_t>(&time);
  if (const std::uintptr_t mixed = __stack_chk_guard ^ seed; mixed != 0) __stack_chk_guard = mixed;
}

}  // namespace
