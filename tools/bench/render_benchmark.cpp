// The tool's renderer on its real window: RenderBitGrid for bursts of 0, 1000 and 9000 bytes
// (random and all ones), against the bare platform work a render cannot do without, timed in
// the same rounds:
//   floor:        what the rules ask of one render and nothing more: FillRect of the canvas,
//                 the immediate refresh the clear brings (one block transfer to the window),
//                 GetDIBits into an existing buffer of the pixel string's size, SetDIBits from
//                 it and the immediate refresh the write brings (a second block transfer);
//   one transfer: the same with only the last block transfer, the floor as it was counted
//                 before, kept to compare the two;
//   copy:         a copy of the 4.6 MB pixel string into an existing block of its size.
// Run under Wine on an X display:
//   wine-run <prefix> render_benchmark.exe        (QV_BENCH_ROUNDS sets the rounds, default 25)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "top_down_dib.h"
#include "app_state.h"
#include "bench_timing.h"
#include "dialog_show.h"
#include "frame.h"
#include "runtime_state.h"
#include "string_ops.h"
#include "surface.h"
#include "surface_pixels.h"
#include "surface_start_up.h"
#include "win32/startup.h"

namespace {

using qv::bench::TimedStep;

// Ends a step as the tool's message loop ends a timer tick: the pending messages dispatched,
// then a wait, however short, which tells the platform the program is idle, so it puts the
// window's new pixels on the screen now. Without it that work falls into whichever later step
// happens to trigger it.
void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
}

// The platform work of one render without the run-time around it.
class PlatformFloor {
 public:
  PlatformFloor() {
    qv::WindowRecord* record = qv::SurfaceAcquire();
    if (!record) return;
    dc_ = record->memory_dc;
    window_ = record->window();
    width_ = record->canvas_width;
    height_ = record->canvas_height;
    qv::SurfaceRelease();
    bitmap_ = static_cast<HBITMAP>(GetCurrentObject(dc_, OBJ_BITMAP));
    brush_ = CreateSolidBrush(qv::app::kBackgroundColour);
    buffer_.resize(qv::kPixelHeaderBytes + 4 * size_t(width_) * size_t(height_));
    info_ = qv::TopDown32(width_, height_);
  }
  ~PlatformFloor() {
    if (brush_) DeleteObject(brush_);
  }
  PlatformFloor(const PlatformFloor&) = delete;
  PlatformFloor& operator=(const PlatformFloor&) = delete;

  bool ready() const { return dc_ && bitmap_ && brush_; }

  // `refreshes`: 2 for the refresh after the clear and the one after the write, 1 for the last.
  void Run(int refreshes) {
    RECT whole{0, 0, width_, height_};
    FillRect(dc_, &whole, brush_);
    if (refreshes > 1) Show();
    GetDIBits(dc_, bitmap_, 0, UINT(height_), buffer_.data() + qv::kPixelHeaderBytes, &info_, DIB_RGB_COLORS);
    SetDIBits(dc_, bitmap_, 0, UINT(height_), buffer_.data() + qv::kPixelHeaderBytes, &info_, DIB_RGB_COLORS);
    Show();
  }

 private:
  void Show() {
    HDC screen = GetDC(window_);
    BitBlt(screen, 0, 0, width_, height_, dc_, 0, 0, SRCCOPY);
    ReleaseDC(window_, screen);
  }

  HDC dc_ = nullptr;
  HWND window_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HBRUSH brush_ = nullptr;
  int32_t width_ = 0, height_ = 0;
  BITMAPINFO info_{};
  std::vector<unsigned char> buffer_;
};

int32_t Benchmark(void*, void*, const char16_t*, int32_t) {
  using namespace qv;
  using namespace qv::app;
  ProcedureFrame frame;
  int rounds = 25;
  if (const char* arg = std::getenv("QV_BENCH_ROUNDS")) rounds = std::max(3, std::atoi(arg));

  BuildMainDialog();
  ShowWindow(MainDialog, SW_SHOW);
  for (int i = 0; i < 20; ++i) {
    Pump();
    Sleep(10);
  }
  PlatformFloor floor;
  if (!floor.ready()) {
    std::printf("no graphic surface to measure\n");
    return 1;
  }

  SurfaceReadPixels();
  DynString pixels = PopText();
  DynString copy = pixels;

  std::mt19937 rng(42);
  auto random_bytes = [&](size_t n) {
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(rng() & 0xFF);
    return s;
  };
  const std::pair<const char*, std::string> bursts[] = {
      {"empty", ""},
      {"1000 random", random_bytes(1000)},
      {"1000 ones", std::string(1000, '\xFF')},
      {"9000 random", random_bytes(9000)},
      {"9000 ones", std::string(9000, '\xFF')},
  };

  std::vector<TimedStep> steps;
  steps.push_back({"floor", [&] {
                     floor.Run(2);
                     Pump();
                   }});
  steps.push_back({"one transfer", [&] {
                     floor.Run(1);
                     Pump();
                   }});
  steps.push_back({"copy", [&] { copy = pixels; }});  // same length: into the existing block
  for (const auto& [name, burst] : bursts)
    steps.push_back({name, [&] {
                       ReceivedData = DynString::FromBytes(burst);
                       RenderBitGrid();
                       Pump();
                     }});
  qv::bench::RunRounds(steps, rounds);

  const double floor_ms = steps[0].MedianMs();
  const double one_transfer_ms = steps[1].MedianMs();
  const double copy_ms = steps[2].MedianMs();
  std::printf("median of %d rounds, pixel string of %u bytes\n", rounds, pixels.bytes());
  std::printf("floor (fill, refresh, read, write, refresh):    %8.3f ms\n", floor_ms);
  std::printf("one-transfer floor (fill, read, write, refresh): %8.3f ms\n", one_transfer_ms);
  std::printf("copy into an existing block:                     %8.3f ms\n", copy_ms);
  std::printf("%-14s %10s %10s %14s %10s\n", "render", "ms", "x floor", "x one transfer", "x copy");
  for (size_t i = 3; i < steps.size(); ++i) {
    const double ms = steps[i].MedianMs();
    std::printf("%-14s %10.3f %10.2f %14.2f %10.1f\n", steps[i].name.c_str(), ms, ms / floor_ms,
                ms / one_transfer_ms, ms / copy_ms);
  }
  std::fflush(stdout);
  DestroyWindow(MainDialog);
  return 0;
}

}  // namespace

int main() {
  qv::Program program;
  program.main_routine = Benchmark;
  program.build_flags = qv::kBuildCreateDefaultFonts;
  program.create_default_fonts = qv::SurfaceStartUp;
  program.globals = qv::app::GlobalStrings;
  qv::StartUp(program);
}
