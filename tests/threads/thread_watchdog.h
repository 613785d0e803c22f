// A watchdog for tests with several threads: each thread says where it is before every wait or
// operation; a thread that stays in one place longer than the limit fails the whole program at
// once (the stuck threads cannot be unwound), after printing where every thread was.
#pragma once

#include <windows.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

namespace qv::testing {

class ThreadPlace {
 public:
  explicit ThreadPlace(std::string name) : name_(std::move(name)) {}
  // `what` must be a string that outlives the watchdog (a literal); null: not waiting.
  void At(const char* what) {
    since_.store(GetTickCount(), std::memory_order_relaxed);
    what_.store(what, std::memory_order_release);
  }
  void Idle() { what_.store(nullptr, std::memory_order_release); }
  const std::string& name() const { return name_; }
  const char* what() const { return what_.load(std::memory_order_acquire); }
  DWORD since() const { return since_.load(std::memory_order_relaxed); }

 private:
  std::string name_;
  std::atomic<const char*> what_{nullptr};
  std::atomic<DWORD> since_{0};
};

class Watchdog {
 public:
  Watchdog(std::string scenario, DWORD limit_ms = 10000);
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

  // A place for one thread; valid as long as the watchdog.
  ThreadPlace& Place(std::string name);

 private:
  void Watch();
  void Report(const ThreadPlace& stuck, DWORD now);

  std::string scenario_;
  DWORD limit_ms_;
  std::mutex places_lock_;
  std::deque<ThreadPlace> places_;
  std::atomic<bool> stop_{false};
  std::thread watcher_;
};

// Sets the place for a scope.
class PlaceScope {
 public:
  PlaceScope(ThreadPlace& place, const char* what) : place_(place) { place_.At(what); }
  ~PlaceScope() { place_.Idle(); }
  PlaceScope(const PlaceScope&) = delete;
  PlaceScope& operator=(const PlaceScope&) = delete;

 private:
  ThreadPlace& place_;
};

}  // namespace qv::testing
