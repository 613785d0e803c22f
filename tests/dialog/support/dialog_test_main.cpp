// Dialog tests need the start-up fonts, as a program with dialogs has them.
#include "font_table.h"
#include "test_startup.h"

int main(int argc, char** argv) { qv::testing::RunTestsUnderStartUp(argc, argv, qv::FontTableCreateDefaults); }
