// A bound on how long a run may work: once armed, past its budget of time
// that is not paused the process ends with the exit code given, wherever the
// run stands, even blocked for ever in a kernel call. Paused time (a box on
// screen, where a person may take as long as they like) does not count.
#pragma once

#include <cstdint>

namespace nimbra::platform {

// What a run leaves behind when its budget runs out (a line in its log): a
// reference to an object whose expire() is called at most once, on a thread
// of the watchdog's, while the run's own thread goes on or is stuck anywhere.
// expire() must not wait for that thread; the process may end before it
// returns, should it not return in time. (A reference to a function rather
// than an interface: the installer's size is counted to the byte, and every
// polymorphic class costs it a vtable and its type's name.)
class WatchdogExpiry {
 public:
  template <typename Expiring>
    requires requires(Expiring& expiring) { expiring.expire(); }
  explicit WatchdogExpiry(Expiring& expiring)
      : expire_([](void* object) noexcept { static_cast<Expiring*>(object)->expire(); }), object_(&expiring) {}

  void operator()() const noexcept { expire_(object_); }

 private:
  void (*expire_)(void* object) noexcept;
  void* object_;
};

class Watchdog {
 public:
  // Starts counting budgetMs; on expiry, expiry(), then the process ends with
  // exitCode. Once only. false when it cannot watch (no thread): then nothing
  // bounds the run. What expiry refers to must outlive disarm().
  virtual bool arm(std::uint32_t budgetMs, std::uint32_t exitCode, WatchdogExpiry expiry) = 0;
  // Stops and starts the count again; no effect when not armed.
  virtual void pause() = 0;
  virtual void resume() = 0;
  // Stops watching and waits (bounded) for the watcher to end: afterwards the
  // expiry is not called. No effect when not armed.
  virtual void disarm() = 0;

 protected:
  ~Watchdog() = default;  // never deleted through the interface
};

// Armed for its lifetime.
class ArmedWatchdog {
 public:
  ArmedWatchdog(Watchdog& watchdog, std::uint32_t budgetMs, std::uint32_t exitCode, WatchdogExpiry expiry)
      : watchdog_(watchdog), armed_(watchdog.arm(budgetMs, exitCode, expiry)) {}
  ~ArmedWatchdog() { watchdog_.disarm(); }
  ArmedWatchdog(const ArmedWatchdog&) = delete;
  ArmedWatchdog& operator=(const ArmedWatchdog&) = delete;

  bool armed() const { return armed_; }

 private:
  Watchdog& watchdog_;
  bool armed_;
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
