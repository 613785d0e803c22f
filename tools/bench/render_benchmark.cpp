// The tool's renderer on its real window: RenderBitGrid for bursts of 0, 1000 and 9000 bytes
// (random and all ones), each as a multiple of a plain copy of the 4.6 MB pixel string timed in
// the same run. Run under Wine on an X display:
//   wine-run <prefix> render_benchmark.exe        (QV_BENCH_ROUNDS sets the rounds, default 15)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "app_state.h"
#include "bench_timing.h"
#include "dialog_show.h"
#include "frame.h"
#include "runtime_state.h"
#include "string_ops.h"
#include "surface_pixels.h"
#include "surface_start_up.h"
#include "win32/startup.h"

namespace {

using qv::bench::MedianMs;

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

int32_t Benchmark(void*, void*, const char16_t*, int32_t) {
  using namespace qv;
  using namespace qv::app;
  ProcedureFrame frame;
  int rounds = 15;
  if (const char* arg = std::getenv("QV_BENCH_ROUNDS")) rounds = std::max(3, std::atoi(arg));

  BuildMainDialog();
  ShowWindow(MainDialog, SW_SHOW);
  for (int i = 0; i < 20; ++i) {
    Pump();
    Sleep(10);
  }

  // Baseline: copying the pixel string, as the renderer holds it.
  SurfaceReadPixels();
  DynString pixels = PopText();
  DynString copy;
  const double copy_ms = MedianMs(rounds * 4, [&] {
    copy = DynString();
    copy = pixels;  // a new string: allocation and copy
  });
  const double memcpy_ms = MedianMs(rounds * 4, [&] { copy = pixels; });  // into the same block

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

  std::printf("plain copy of the %u-byte pixel string: %.3f ms (into an existing block: %.3f ms)\n",
              pixels.bytes(), copy_ms, memcpy_ms);
  std::printf("%-14s %10s %10s\n", "burst", "ms", "x copy");
  for (const auto& [name, burst] : bursts) {
    const double ms = MedianMs(rounds, [&] {
      ReceivedData = DynString::FromBytes(burst);
      RenderBitGrid();
      Pump();
    });
    std::printf("%-14s %10.3f %10.1f\n", name, ms, ms / copy_ms);
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
