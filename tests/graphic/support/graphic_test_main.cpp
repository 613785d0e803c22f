// Surface tests start like a program with graphic controls: default fonts and the surface
// entries connected through the start-up hook.
#include "surface_start_up.h"
#include "test_startup.h"

int main(int argc, char** argv) { qv::testing::RunTestsUnderStartUp(argc, argv, qv::SurfaceStartUp); }
