// The start of the surface benchmarks: the run-time's start-up with the graphic library
// connected, then the benchmark as the main routine; the process ends with its result.
#pragma once

#include "surface_start_up.h"
#include "win32/startup.h"

namespace qv::bench {

inline void RunUnderSurfaceStartUp(MainRoutineFn benchmark) {
  Program program;
  program.main_routine = benchmark;
  program.build_flags = kBuildCreateDefaultFonts;
  program.create_default_fonts = SurfaceStartUp;
  StartUp(program);
}

}  // namespace qv::bench
