// Helpers for graphic-window tests: opening windows on threads of their own, waiting for
// conditions instead of fixed sleeps, watching a window thread's messages, and a watchdog that
// ends a test program that hangs.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "dyn_string.h"
#include "window_record.h"

namespace qv::testing {

constexpr DWORD kPatienceMs = 30000;  // generous: the machine may be loaded

// Runs `body` on a new run-time thread; join() waits for it. (Under Wine, threads of the C++
// library were seen to hang in their exit when many that had message queues ended together.)
class TestThread {
 public:
  explicit TestThread(std::function<void()> body);
  ~TestThread();
  bool join(DWORD ms = kPatienceMs);

 private:
  std::function<void()> body_;
  HANDLE thread_ = nullptr;
};

HWND OpenGraphicWindow(const std::u16string& title, int32_t width, int32_t height, uint32_t style = 0,
                       int32_t font = 1, uint32_t options = 0);
HWND CanvasOf(HWND frame);

bool WaitUntil(const std::function<bool()>& condition, DWORD ms = kPatienceMs);

// A handle to the window's thread (closed by the caller) and whether that thread ends in time.
HANDLE WindowThread(HWND frame);
bool ThreadEnds(HANDLE thread, DWORD ms = kPatienceMs);

// Runs `look` on the window's record under SurfaceLock; false when there is no record.
bool WithRecord(HANDLE window, const std::function<void(WindowRecord&)>& look);

// A PixelString of width x height pixels, all `pixel` (0x00RRGGBB).
DynString FilledPixels(int32_t width, int32_t height, uint32_t pixel);
void WritePixels(const DynString& pixels);
// Sets pixel (x, y) of a PixelString.
void SetPixel(DynString& pixels, int32_t x, int32_t y, uint32_t pixel);

// The colour a window's client area shows at (x, y), 0x00RRGGBB.
uint32_t ScreenPixel(HWND window, int x, int y);

// Holds SurfaceLock for a test through the target's record (SurfaceAcquire) and gives it back at
// the end of the scope unless a mark has released it already: a failed assertion must not
// leave the lock taken for the tests after it.
class HeldTarget {
 public:
  HeldTarget();
  ~HeldTarget();
  WindowRecord* operator->() const { return record_; }
  WindowRecord* get() const { return record_; }

 private:
  WindowRecord* record_;
};

// Counts messages a window thread's windows receive (sent and posted), by message number.
class MessageWatch {
 public:
  explicit MessageWatch(HWND window);
  ~MessageWatch();
  int Seen(UINT message, WPARAM wparam_mask = 0, WPARAM wparam = 0) const;

 private:
  HHOOK sent_ = nullptr, posted_ = nullptr;
};

// Ends the program with a message when not disarmed within `seconds`: a deadlock must fail the
// run, not hang it.
class Watchdog {
 public:
  // `report` (optional) prints what the test knows of its threads before the program ends.
  Watchdog(DWORD seconds, const char* what, std::function<void()> report = nullptr);
  ~Watchdog();

 private:
  HANDLE done_ = nullptr, thread_ = nullptr;
  DWORD ms_;
  const char* what_;
  std::function<void()> report_;
  static DWORD WINAPI Run(void* self);
};

}  // namespace qv::testing
