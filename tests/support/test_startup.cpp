#include "test_startup.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "runtime_state.h"
#include "win32/startup.h"

namespace qv::testing {

namespace {
int32_t RunAllTestsRoutine(void*, void*, const char16_t*, int32_t) {
  int32_t result = RUN_ALL_TESTS();
  std::fflush(nullptr);
  return result;
}
}  // namespace

void RunTestsUnderStartUp(int argc, char** argv, void (*create_default_fonts)()) {
  ::testing::InitGoogleTest(&argc, argv);
  Program program;
  program.main_routine = RunAllTestsRoutine;
  program.build_flags = create_default_fonts ? kBuildCreateDefaultFonts : 0;
  program.create_default_fonts = create_default_fonts;
  StartUp(program);
}

}  // namespace qv::testing
