// The application's drawing path on its 1200 x 960 surface, timed against a plain copy of the
// same 4.6 MB in the same run. Prints each step and the round trip as a multiple of the copy.
// Run under Wine on an X display: wine-run <prefix> surface_benchmark.exe [rounds]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench_timing.h"
#include "dialog_show.h"
#include "dialog_test_support.h"
#include "surface_pixels.h"
#include "surface.h"
#include "surface_attach.h"
#include "surface_clear.h"
#include "surface_colours.h"
#include "surface_make_brush.h"
#include "surface_pen.h"
#include "string_ops.h"
#include "runtime_state.h"
#include "surface_benchmark_start.h"

namespace qv {
namespace {

constexpr int32_t kPale = 0x00CDFAFF;
constexpr size_t kPixelBytes = 8 + 4 * 1200 * 960;

using bench::MedianMs;

int32_t Benchmark(void*, void*, const char16_t*, int32_t) {
  int rounds = 25;
  if (const char* arg = std::getenv("QV_BENCH_ROUNDS")) rounds = std::max(3, std::atoi(arg));

  HWND dialog = testing::MakeToolDialog();
  testing::AddControl(14, dialog, 1001, 9, 9, 1202, 962, WS_BORDER);
  int32_t result = 0;
  DialogShowModeless(dialog, nullptr, &result);
  testing::PumpFor(300);
  SurfaceAttach(dialog, 1001, 0);

  std::vector<unsigned char> source(kPixelBytes, 0x5A), target(kPixelBytes);
  double copy = MedianMs(rounds, [&] {
    std::memcpy(target.data(), source.data(), kPixelBytes);
    source[target[12345] & 0xFF] ^= 1;  // keep the copy from being optimised away
  });

  DynString pixels;
  double clear = MedianMs(rounds, [] { SurfaceClear(kPale, 0); });
  double read = MedianMs(rounds, [&] {
    SurfaceReadPixels();
    AssignText(pixels);
  });
  double write = MedianMs(rounds, [&] {
    PushText(pixels);
    SurfaceWritePixels();
  });
  SurfaceAttach(dialog, 1001, kAttachDeferRedraw);
  double write_only = MedianMs(rounds, [&] {
    PushText(pixels);
    SurfaceWritePixels();
  });
  double refresh = MedianMs(rounds, [] { SurfaceRedraw(); });
  SurfaceAttach(dialog, 1001, 0);
  double round_trip = MedianMs(rounds, [&] {
    SurfaceClear(kPale, 0);
    SurfaceReadPixels();
    AssignText(pixels);
    PushText(pixels);
    SurfaceWritePixels();
  });

  auto line = [&](const char* name, double ms) {
    std::printf("%-34s %9.3f ms  %7.2f x copy\n", name, ms, ms / copy);
  };
  std::printf("median of %d rounds; pixel string %zu bytes\n", rounds, kPixelBytes);
  line("plain copy (baseline)", copy);
  line("clear with refresh", clear);
  line("read pixels", read);
  line("write pixels with refresh", write);
  line("  write pixels, deferred", write_only);
  line("  refresh (whole canvas)", refresh);
  line("round trip clear+read+write", round_trip);
  std::fflush(stdout);
  DestroyWindow(dialog);
  return 0;
}

}  // namespace
}  // namespace qv

int main() { qv::bench::RunUnderSurfaceStartUp(qv::Benchmark); }
