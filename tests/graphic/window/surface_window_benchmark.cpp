// Whole-canvas pixel-string writes from a drawing thread into a 640 x 480 graphic window (on a
// thread of its own, refreshed from its loop), against the same writes into a 640 x 480 graphic
// control of a dialog on the drawing thread itself (every write refreshed at once). Then the
// processor time an idle graphic window takes, against a loop that polls every millisecond as
// a plain sleep-and-peek loop would, both over the same span in the same run.
// Run under Wine on an X display: wine-run <prefix> surface_window_benchmark.exe [writes] [idle seconds]
#include <windows.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench_timing.h"
#include "dialog_show.h"
#include "dialog_test_support.h"
#include "string_ops.h"
#include "surface.h"
#include "surface_attach.h"
#include "surface_lock.h"
#include "surface_pixels.h"
#include "surface_window.h"
#include "runtime_state.h"
#include "win32/runtime_thread.h"
#include "surface_benchmark_start.h"

namespace qv {
namespace {

constexpr int32_t kWidth = 640, kHeight = 480;

DynString Filled(uint32_t pixel) {
  std::string bytes(kPixelHeaderBytes + 4 * static_cast<size_t>(kWidth) * kHeight, '\0');
  std::memcpy(bytes.data(), &kWidth, 4);
  std::memcpy(bytes.data() + 4, &kHeight, 4);
  for (size_t at = kPixelHeaderBytes; at < bytes.size(); at += 4) std::memcpy(bytes.data() + at, &pixel, 4);
  return DynString::FromBytes(bytes);
}

double WritesMs(int writes, const DynString& a, const DynString& b) {
  double start = bench::NowMs();
  for (int i = 0; i < writes; ++i) {
    PushText((i & 1) ? b : a);
    SurfaceWritePixels();
  }
  return bench::NowMs() - start;
}

double ThreadCpuMs(HANDLE thread) {
  FILETIME created, ended, kernel, user;
  if (!GetThreadTimes(thread, &created, &ended, &kernel, &user)) return -1;
  auto ms = [](FILETIME t) { return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e4; };
  return ms(kernel) + ms(user);
}

struct PollingLoop {
  volatile bool stop = false;
};

// What a loop that sleeps 1 ms and peeks between tries costs, for comparison.
void PollEveryMillisecond(void* state) {
  auto* loop = static_cast<PollingLoop*>(state);
  MSG message;
  while (!loop->stop) {
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) Sleep(1);
    if (SurfaceLock().try_lock()) SurfaceLock().unlock();
  }
}

double IdleShare(HANDLE thread, DWORD seconds) {
  double before = ThreadCpuMs(thread), start = bench::NowMs();
  Sleep(seconds * 1000);
  return 100.0 * (ThreadCpuMs(thread) - before) / (bench::NowMs() - start);
}

int32_t Benchmark(void*, void*, const char16_t*, int32_t) {
  int writes = 1000;
  DWORD idle_seconds = 10;
  if (const char* arg = std::getenv("QV_BENCH_WRITES")) writes = std::max(10, std::atoi(arg));
  if (const char* arg = std::getenv("QV_BENCH_IDLE_S")) idle_seconds = static_cast<DWORD>(std::max(1, std::atoi(arg)));
  DynString red = Filled(0x00FF0000), blue = Filled(0x000000FF);

  // Baseline: a dialog's graphic control on this thread.
  HWND dialog = testing::MakeDialog(u"Baseline", 20, 20, kWidth + 20, kHeight + 20);
  testing::AddControl(14, dialog, 1001, 10, 10, kWidth, kHeight, 0);
  int32_t result = 0;
  DialogShowModeless(dialog, nullptr, &result);
  testing::PumpFor(300);
  SurfaceAttach(dialog, 1001, 0);
  double control_ms = WritesMs(writes, red, blue);
  DestroyWindow(dialog);
  testing::PumpFor(100);

  // The graphic window on its own thread.
  SurfaceDetach();
  PushOwned(DynString::FromUnits(u"Benchmark"));
  HWND frame = SurfaceWindowOpenThreaded(700, 20, kWidth, kHeight, 0, 1, 0);
  if (!frame) {
    std::printf("no graphic window\n");
    return 1;
  }
  double window_ms = WritesMs(writes, red, blue);

  std::printf("%d whole-canvas pixel-string writes of %d x %d\n", writes, kWidth, kHeight);
  std::printf("  dialog graphic control, drawing thread (baseline): %8.1f ms  %8.1f writes/s\n", control_ms,
              writes * 1000.0 / control_ms);
  std::printf("  graphic window on its own thread:                  %8.1f ms  %8.1f writes/s\n", window_ms,
              writes * 1000.0 / window_ms);
  std::printf("  rate ratio window / control: %.2f\n", control_ms / window_ms);
  std::fflush(stdout);

  HANDLE window_thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, GetWindowThreadProcessId(frame, nullptr));
  Sleep(500);  // the last writes' refresh settles
  double idle = IdleShare(window_thread, idle_seconds);
  PollingLoop polling;
  HANDLE poller = RuntimeThreadStart(PollEveryMillisecond, &polling);
  double polled = IdleShare(poller, idle_seconds);
  polling.stop = true;
  WaitForSingleObject(poller, INFINITE);
  std::printf("idle over %lu s, share of one core: graphic window thread %.3f %%, 1 ms polling loop (comparison) %.3f %%\n",
              static_cast<unsigned long>(idle_seconds), idle, polled);
  std::fflush(stdout);
  CloseHandle(poller);
  CloseHandle(window_thread);
  SendMessageW(frame, WM_SYSCOMMAND, SC_CLOSE, 0);
  return 0;
}

}  // namespace
}  // namespace qv

int main() { qv::bench::RunUnderSurfaceStartUp(qv::Benchmark); }
