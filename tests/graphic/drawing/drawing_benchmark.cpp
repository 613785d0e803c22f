// The cost of the surface frame (lock, target look-up, user-coordinate mapping, mark) around
// single drawing calls, against the bare platform calls on a memory DC of the same size in the
// same run: 100,000 SurfaceSetPixel against SetPixelV, and 10,000 SurfaceBox against RoundRect
// with the same pen and brush made per call. Each round times the baseline and the run-time
// back to back, so a shared machine's changing load falls on both; prints the median times and
// the median of the rounds' ratios.
// Run under Wine: wine-run <prefix> drawing_benchmark.exe   (QV_BENCH_ROUNDS, default 15)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "bench_timing.h"
#include "memory_surface.h"
#include "runtime_state.h"
#include "surface_attach.h"
#include "surface_clear.h"
#include "surface_drawing.h"
#include "surface_benchmark_start.h"

namespace qv {
namespace {

constexpr int32_t kWidth = 400, kHeight = 300;
constexpr int kPixels = 100000, kBoxes = 10000;

using bench::NowMs;

struct Pair {
  double baseline_ms, runtime_ms, ratio;
};

// Medians over `rounds` of the baseline and the run-time step timed back to back.
Pair MedianPair(int rounds, const std::function<void()>& baseline, const std::function<void()>& runtime) {
  std::vector<double> b, r, q;
  for (int i = 0; i < rounds; ++i) {
    double t0 = NowMs();
    baseline();
    double t1 = NowMs();
    runtime();
    double t2 = NowMs();
    b.push_back(t1 - t0);
    r.push_back(t2 - t1);
    q.push_back((t2 - t1) / (t1 - t0));
  }
  auto median = [](std::vector<double>& v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  };
  return {median(b), median(r), median(q)};
}

int32_t Benchmark(void*, void*, const char16_t*, int32_t) {
  int rounds = 15;
  if (const char* arg = std::getenv("QV_BENCH_ROUNDS")) rounds = std::max(3, std::atoi(arg));

  HDC screen = GetDC(nullptr);
  HDC bare = CreateCompatibleDC(screen);
  HBITMAP bare_canvas = CreateCompatibleBitmap(screen, kWidth, kHeight);
  ReleaseDC(nullptr, screen);
  HGDIOBJ bare_default = SelectObject(bare, bare_canvas);
  HANDLE surface = MemorySurfaceCreate(kWidth, kHeight);
  SurfaceAttach(surface, 0, 0);
  SurfaceClear(0x00FFFFFF, 0);

  // The same pixels in the same order, spread over the canvas.
  auto x_of = [](int i) { return (i * 7) % kWidth; };
  auto y_of = [](int i) { return (i / kWidth * 3 + i) % kHeight; };
  Pair pixels = MedianPair(
      rounds,
      [&] {
        for (int i = 0; i < kPixels; ++i) SetPixelV(bare, x_of(i), y_of(i), static_cast<COLORREF>(i & 0xFFFFFF));
      },
      [&] {
        for (int i = 0; i < kPixels; ++i)
          SurfaceSetPixel(static_cast<float>(x_of(i)), static_cast<float>(y_of(i)), 0, i & 0xFFFFFF);
      });

  auto box_of = [](int i, int& x1, int& y1, int& x2, int& y2) {
    x1 = (i * 13) % (kWidth - 60);
    y1 = (i * 7) % (kHeight - 40);
    x2 = x1 + 20 + i % 40;
    y2 = y1 + 10 + i % 30;
  };
  Pair boxes = MedianPair(rounds, [&] {
    for (int i = 0; i < kBoxes; ++i) {
      int x1, y1, x2, y2;
      box_of(i, x1, y1, x2, y2);
      COLORREF colour = static_cast<COLORREF>(i * 2654435761u & 0xFFFFFF);
      HPEN pen = CreatePen(PS_SOLID, 0, colour);
      HBRUSH brush = CreateSolidBrush(colour ^ 0xFFFFFF);
      HGDIOBJ old_pen = SelectObject(bare, pen), old_brush = SelectObject(bare, brush);
      int corner = 25 * std::min(x2 - x1, y2 - y1) / 100;
      RoundRect(bare, x1, y1, x2, y2, corner, corner);
      SelectObject(bare, old_pen);
      SelectObject(bare, old_brush);
      DeleteObject(pen);
      DeleteObject(brush);
    }
  }, [&] {
    for (int i = 0; i < kBoxes; ++i) {
      int x1, y1, x2, y2;
      box_of(i, x1, y1, x2, y2);
      int32_t colour = static_cast<int32_t>(i * 2654435761u & 0xFFFFFF);
      SurfaceBox(float(x1), float(y1), float(x2), float(y2), 25, colour, colour ^ 0xFFFFFF, 0);
    }
  });

  std::printf("median of %d paired rounds on a %d x %d canvas\n", rounds, kWidth, kHeight);
  std::printf("%-40s %9.3f ms\n", "100,000 SetPixelV (baseline)", pixels.baseline_ms);
  std::printf("%-40s %9.3f ms  %5.2f x baseline\n", "100,000 SurfaceSetPixel", pixels.runtime_ms, pixels.ratio);
  std::printf("%-40s %9.3f ms\n", "10,000 RoundRect, pen+brush (baseline)", boxes.baseline_ms);
  std::printf("%-40s %9.3f ms  %5.2f x baseline\n", "10,000 SurfaceBox", boxes.runtime_ms, boxes.ratio);
  std::fflush(stdout);

  MemorySurfaceDestroy();
  SelectObject(bare, bare_default);
  DeleteObject(bare_canvas);
  DeleteDC(bare);
  return 0;
}

}  // namespace
}  // namespace qv

int main() { qv::bench::RunUnderSurfaceStartUp(qv::Benchmark); }
