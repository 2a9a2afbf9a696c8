// A mutex and a condition variable for handing work between threads. On Windows they are the
// system's slim lock and condition variable, which wait in the process (under Wine without a
// round trip through its server, which every file open also needs); elsewhere the standard ones.
#pragma once

#include <chrono>
#include <memory>
#include <mutex>

namespace platform {

class TMutex {
 public:
  TMutex();
  ~TMutex();
  TMutex(const TMutex&) = delete;
  TMutex& operator=(const TMutex&) = delete;
  void lock();
  void unlock();

 private:
  friend class TCondition;
  struct TImpl;
  std::unique_ptr<TImpl> impl_;
};

class TCondition {
 public:
  TCondition();
  ~TCondition();
  TCondition(const TCondition&) = delete;
  TCondition& operator=(const TCondition&) = delete;

  // Waits, with `lock` held, until `ready()` holds; true when it does.
  template <typename Ready>
  void Wait(std::unique_lock<TMutex>& lock, Ready ready) {
    while (!ready()) WaitOnce(*lock.mutex(), kForever);
  }
  // The same, for at most `timeout`; false when it ran out with `ready()` false.
  template <typename Ready>
  bool WaitFor(std::unique_lock<TMutex>& lock, std::chrono::milliseconds timeout, Ready ready) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!ready()) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return false;
      WaitOnce(*lock.mutex(), left);
    }
    return true;
  }
  void NotifyOne();
  void NotifyAll();

 private:
  static constexpr std::chrono::milliseconds kForever{-1};
  // One wait: returns when woken, at the timeout, or for no reason at all.
  void WaitOnce(TMutex& mutex, std::chrono::milliseconds timeout);

  struct TImpl;
  std::unique_ptr<TImpl> impl_;
};

}  // namespace platform
