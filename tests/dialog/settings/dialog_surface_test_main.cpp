// The settings of graphic controls need the graphic entries connected, as a program with
// graphic controls has them.
#include "surface_start_up.h"
#include "test_startup.h"

int main(int argc, char** argv) { qv::testing::RunTestsUnderStartUp(argc, argv, qv::SurfaceStartUp); }
