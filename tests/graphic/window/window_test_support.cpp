#include "window_test_support.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

#include "string_ops.h"
#include "surface.h"
#include "surface_lock.h"
#include "surface_pixels.h"
#include "surface_window.h"
#include "win32/runtime_thread.h"

namespace qv::testing {

TestThread::TestThread(std::function<void()> body) : body_(std::move(body)) {
  thread_ = RuntimeThreadStart([](void* self) { static_cast<TestThread*>(self)->body_(); }, this);
}

TestThread::~TestThread() {
  join(INFINITE);
  if (thread_) CloseHandle(thread_);
}

bool TestThread::join(DWORD ms) { return thread_ && WaitForSingleObject(thread_, ms) == WAIT_OBJECT_0; }

HWND OpenGraphicWindow(const std::u16string& title, int32_t width, int32_t height, uint32_t style, int32_t font,
                       uint32_t options) {
  PushOwned(DynString::FromUnits(title));
  return SurfaceWindowOpenThreaded(40, 40, width, height, style, font, options);
}

HWND CanvasOf(HWND frame) { return GetDlgItem(frame, 0); }

bool WaitUntil(const std::function<bool()>& condition, DWORD ms) {
  DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start > ms) return false;
    Sleep(5);
  }
}

HANDLE WindowThread(HWND frame) {
  return OpenThread(SYNCHRONIZE, FALSE, GetWindowThreadProcessId(frame, nullptr));
}

bool ThreadEnds(HANDLE thread, DWORD ms) { return thread && WaitForSingleObject(thread, ms) == WAIT_OBJECT_0; }

bool WithRecord(HANDLE window, const std::function<void(WindowRecord&)>& look) {
  SurfaceLock().lock();
  WindowRecord* record = RecordFind(window);
  if (record) look(*record);
  SurfaceLock().unlock();
  return record != nullptr;
}

DynString FilledPixels(int32_t width, int32_t height, uint32_t pixel) {
  std::string bytes(kPixelHeaderBytes + 4 * static_cast<size_t>(width) * height, '\0');
  std::memcpy(bytes.data(), &width, 4);
  std::memcpy(bytes.data() + 4, &height, 4);
  for (size_t at = kPixelHeaderBytes; at < bytes.size(); at += 4) std::memcpy(bytes.data() + at, &pixel, 4);
  return DynString::FromBytes(bytes);
}

void WritePixels(const DynString& pixels) {
  PushText(pixels);
  SurfaceWritePixels();
}

void SetPixel(DynString& pixels, int32_t x, int32_t y, uint32_t pixel) {
  int32_t width = 0;
  std::memcpy(&width, pixels.data(), 4);
  std::memcpy(pixels.data() + kPixelHeaderBytes + 4 * (static_cast<size_t>(y) * width + x), &pixel, 4);
}

HeldTarget::HeldTarget() : record_(SurfaceAcquire()) {}

HeldTarget::~HeldTarget() {
  if (SurfaceLock().held_by_caller()) SurfaceRelease();
}

uint32_t ScreenPixel(HWND window, int x, int y) {
  HDC dc = GetDC(window);
  COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

namespace {

struct Seen {
  UINT message;
  WPARAM wparam;
};
std::mutex seen_lock;
std::vector<Seen> seen;

void Note(UINT message, WPARAM wparam) {
  std::lock_guard hold(seen_lock);
  seen.push_back({message, wparam});
}

LRESULT CALLBACK SentHook(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HC_ACTION) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lparam);
    Note(call->message, call->wParam);
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

LRESULT CALLBACK PostedHook(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HC_ACTION && wparam == PM_REMOVE) {
    const auto* message = reinterpret_cast<const MSG*>(lparam);
    Note(message->message, message->wParam);
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

}  // namespace

MessageWatch::MessageWatch(HWND window) {
  {
    std::lock_guard hold(seen_lock);
    seen.clear();
  }
  DWORD thread = GetWindowThreadProcessId(window, nullptr);
  sent_ = SetWindowsHookExW(WH_CALLWNDPROC, SentHook, nullptr, thread);
  posted_ = SetWindowsHookExW(WH_GETMESSAGE, PostedHook, nullptr, thread);
}

MessageWatch::~MessageWatch() {
  if (sent_) UnhookWindowsHookEx(sent_);
  if (posted_) UnhookWindowsHookEx(posted_);
}

int MessageWatch::Seen(UINT message, WPARAM wparam_mask, WPARAM wparam) const {
  std::lock_guard hold(seen_lock);
  int n = 0;
  for (const auto& s : seen)
    if (s.message == message && (s.wparam & wparam_mask) == wparam) ++n;
  return n;
}

Watchdog::Watchdog(DWORD seconds, const char* what, std::function<void()> report)
    : ms_(seconds * 1000), what_(what), report_(std::move(report)) {
  done_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
}

Watchdog::~Watchdog() {
  SetEvent(done_);
  WaitForSingleObject(thread_, INFINITE);
  CloseHandle(thread_);
  CloseHandle(done_);
}

DWORD WINAPI Watchdog::Run(void* self) {
  auto* dog = static_cast<Watchdog*>(self);
  if (WaitForSingleObject(dog->done_, dog->ms_) == WAIT_OBJECT_0) return 0;
  std::fprintf(stderr, "watchdog: %s did not finish within %lu s; a thread waits for ever\n", dog->what_,
               static_cast<unsigned long>(dog->ms_ / 1000));
  if (dog->report_) dog->report_();
  std::fflush(nullptr);
  TerminateProcess(GetCurrentProcess(), 3);
  return 0;
}

}  // namespace qv::testing
