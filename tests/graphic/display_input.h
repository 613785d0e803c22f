// Input typed and clicked through the X display, as a person would: xdotool, started from the
// test program (Wine runs a Unix program by its path). Nothing waits for it to finish; tests
// wait for what its keys and clicks do instead.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace qv::testing {

constexpr DWORD kPatienceMs = 30000;  // generous: the machine may be loaded

// Runs xdotool with the arguments (its command chain, split at blanks; no quoting); false
// when it could not be started.
bool Xdotool(const std::string& arguments);

bool WaitUntil(const std::function<bool()>& condition, DWORD ms = kPatienceMs);

// Ends the program with a message when not disarmed within `seconds`: a hang must fail the
// run, not stall it.
class Watchdog {
 public:
  Watchdog(DWORD seconds, const char* what);
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  static DWORD WINAPI Run(void* self);
  HANDLE done_ = nullptr, thread_ = nullptr;
  DWORD ms_;
  const char* what_;
};

}  // namespace qv::testing
