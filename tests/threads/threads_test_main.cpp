// Programs with graphic controls have the graphic entries connected at start-up.
#include "surface_start_up.h"
#include "test_startup.h"

int main(int argc, char** argv) { qv::testing::RunTestsUnderStartUp(argc, argv, qv::SurfaceStartUp); }
