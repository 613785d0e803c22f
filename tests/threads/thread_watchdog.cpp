#include "thread_watchdog.h"

#include <cstdio>
#include <cstdlib>

namespace qv::testing {

Watchdog::Watchdog(std::string scenario, DWORD limit_ms)
    : scenario_(std::move(scenario)), limit_ms_(limit_ms), watcher_([this] { Watch(); }) {}

Watchdog::~Watchdog() {
  stop_ = true;
  watcher_.join();
}

ThreadPlace& Watchdog::Place(std::string name) {
  std::lock_guard hold(places_lock_);
  return places_.emplace_back(std::move(name));
}

void Watchdog::Watch() {
  while (!stop_) {
    Sleep(100);
    DWORD now = GetTickCount();
    std::lock_guard hold(places_lock_);
    // A place may have been entered after `now` was read: a negative age is no wait.
    for (const ThreadPlace& place : places_)
      if (place.what() && static_cast<int32_t>(now - place.since()) > static_cast<int32_t>(limit_ms_))
        Report(place, now);
  }
}

void Watchdog::Report(const ThreadPlace& stuck, DWORD now) {
  std::fprintf(stderr, "\nWATCHDOG [%s] (process %lu): thread '%s' waited more than %lu ms in %s\n", scenario_.c_str(),
               static_cast<unsigned long>(GetCurrentProcessId()),
               stuck.name().c_str(), static_cast<unsigned long>(limit_ms_), stuck.what());
  for (const ThreadPlace& place : places_) {
    const char* what = place.what();
    std::fprintf(stderr, "  %-16s %s (%ld ms)\n", place.name().c_str(), what ? what : "-",
                 what ? static_cast<long>(static_cast<int32_t>(now - place.since())) : 0L);
  }
  std::fflush(stderr);
  // QV_WATCHDOG_HOLD keeps the stuck process alive for a debugger to look at.
  if (const char* hold = std::getenv("QV_WATCHDOG_HOLD"); hold && *hold) Sleep(std::strtoul(hold, nullptr, 10));
  TerminateProcess(GetCurrentProcess(), 3);
}

}  // namespace qv::testing
