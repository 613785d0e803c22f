// Process start-up and shutdown around the application's main routine.
#pragma once

#include <cstdint>
#include <span>

#include "dyn_string.h"

namespace qv {

// Build flag: create the three default font records at start (Program::create_default_fonts).
constexpr uint32_t kBuildCreateDefaultFonts = 0x0200;

using MainRoutineFn = int32_t (*)(void* module, void* previous, const char16_t* command_tail,
                                  int32_t show_window);

// What a program hands to the start-up: its main routine, its build flags, the dialog engine's
// default-font set-up (used with kBuildCreateDefaultFonts) and its global string variables.
struct Program {
  MainRoutineFn main_routine = nullptr;
  uint32_t build_flags = 0;
  void (*create_default_fonts)() = nullptr;
  std::span<DynString* const> globals = {};
};

// Checks the platform, prepares the run-time, calls main and ends the process with its result.
[[noreturn]] void StartUp(const Program& program);

// Takes the run-time down and ends the process with `result`.
[[noreturn]] void ShutDown(int32_t result);

}  // namespace qv
