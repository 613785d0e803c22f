// The default entry of a Windows test program. A program that needs other start-up settings
// defines its own main and calls RunTestsUnderStartUp itself; the linker then does not pull
// this file in from the library.
#include "test_startup.h"

int main(int argc, char** argv) { qv::testing::RunTestsUnderStartUp(argc, argv, nullptr); }
