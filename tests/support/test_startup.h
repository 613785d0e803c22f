#pragma once

namespace qv::testing {

// Runs every test under the run-time's start-up (so tests see its thread record, command tail
// and fonts) and ends the process with the runner's result. `create_default_fonts` may be null.
[[noreturn]] void RunTestsUnderStartUp(int argc, char** argv, void (*create_default_fonts)());

}  // namespace qv::testing
