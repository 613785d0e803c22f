// quorvex.exe: the run-time's start-up around the tool's main routine.
#include "app_state.h"
#include "surface_start_up.h"
#include "runtime_state.h"
#include "win32/startup.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  qv::Program program;
  program.main_routine = qv::app::MainRoutine;
  program.build_flags = qv::kBuildCreateDefaultFonts;
  program.create_default_fonts = qv::SurfaceStartUp;
  program.globals = qv::app::GlobalStrings;
  qv::StartUp(program);
}
