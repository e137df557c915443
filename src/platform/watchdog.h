// A bound on how long a run may work: the run works on a thread of its own
// while the calling thread watches it, and past its budget of time that is
// not paused the process ends with the exit code given, wherever the run
// stands, even blocked for ever in a kernel call. Paused time (a box on
// screen, where a person may take as long as they like) does not count.
#pragma once

#include <cstdint>

namespace nimbra::platform {

// A reference to something to call, a lambda say, which must outlive the
// reference. (Not an interface: the installer's size is counted to the
// byte, and every polymorphic class costs it a vtable and its type's name.)
class Callback {
 public:
  template <typename Callable>
  explicit Callback(Callable& callable)
      : call_([](void* object) { (*static_cast<Callable*>(object))(); }), object_(&callable) {}

  void operator()() const { call_(object_); }

 private:
  void (*call_)(void* object);
  void* object_;
};

class Watchdog {
 public:
  // Calls work on a thread of its own and returns once it has returned. Past
  // budgetMs of work not paused, expiry() is called on another thread, while
  // work goes on or is stuck anywhere (it must not wait for work), then the
  // process ends with exitCode, before expiry returns should it not return
  // in time. false when no thread could be made: work was not called.
  virtual bool watch(std::uint32_t budgetMs, std::uint32_t exitCode, Callback work, Callback expiry) = 0;
  // From work: stops and starts the count again.
  virtual void pause() = 0;
  virtual void resume() = 0;

 protected:
  ~Watchdog() = default;  // never deleted through the interface
};

// Paused for its lifetime: time spent in it does not count.
class PausedWatchdog {
 public:
  explicit PausedWatchdog(Watchdog& watchdog) : watchdog_(watchdog) { watchdog_.pause(); }
  ~PausedWatchdog() { watchdog_.resume(); }
  PausedWatchdog(const PausedWatchdog&) = delete;
  PausedWatchdog& operator=(const PausedWatchdog&) = delete;

 private:
  Watchdog& watchdog_;
};

}  // namespace nimbra::platform
