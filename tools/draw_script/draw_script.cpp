// Runs a drawing script against the run-time: draw_script.exe SCRIPT
// Each line is one run-time operation by its name with its arguments, or a line of the
// runner's own (window W H "title", memory W H, save "file.bmp"). A malformed line stops the
// script with its line number (exit code 2); an error number raised by an operation is printed
// with the line and the script goes on. Exit code 1: the script cannot be read, or a target
// cannot be made or saved. Graphic windows stay open after the last line until they are closed
// (a malformed line ends the runner and its windows at once).
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "command_args.h"
#include "error.h"
#include "runtime_state.h"
#include "script_line.h"
#include "script_operations.h"
#include "surface_start_up.h"
#include "win32/startup.h"

namespace qv::script {
namespace {

constexpr int32_t kExitFailed = 1, kExitMalformed = 2;
constexpr DWORD kWindowPollMs = 100;

// Each window runs on its own thread; the runner only waits for it to go.
void WaitForWindows(const std::vector<HWND>& windows) {
  for (HWND window : windows)
    while (IsWindow(window)) Sleep(kWindowPollMs);
}

int32_t RunScript(void*, void*, const char16_t* tail, int32_t) {
  std::u16string_view argument = CommandArgument(tail ? tail : u"", 1);
  std::wstring path(argument.begin(), argument.end());
  if (path.empty()) {
    std::fprintf(stderr, "usage: draw_script SCRIPT\n");
    return kExitMalformed;
  }
  std::string name = Utf8(path);
  std::ifstream file(path.c_str(), std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "%s: cannot be read\n", name.c_str());
    return kExitFailed;
  }
  std::string text;
  int number = 0;
  int32_t status = 0;
  std::vector<HWND> windows;
  while (std::getline(file, text)) {
    if (++number == 1 && text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);  // a byte-order mark
    ParseResult parsed = ParseLine(text);
    if (!parsed.error.empty()) {
      std::fprintf(stderr, "%s:%d: %s\n", name.c_str(), number, parsed.error.c_str());
      return kExitMalformed;
    }
    if (!parsed.line) continue;
    const Line& line = *parsed.line;
    Outcome outcome;
    if (RunTargetLine(line, outcome)) {
      if (outcome.window) windows.push_back(static_cast<HWND>(outcome.window));
      if (!outcome.error.empty()) {
        std::fprintf(stderr, "%s:%d: %s\n", name.c_str(), number, outcome.error.c_str());
        if (outcome.malformed) return kExitMalformed;
        status = kExitFailed;
      }
      continue;
    }
    const Operation* op = FindOperation(line.name);
    std::string wrong = op ? CheckArguments(*op, line.args) : "unknown operation " + line.name;
    if (!wrong.empty()) {
      std::fprintf(stderr, "%s:%d: %s\n", name.c_str(), number, wrong.c_str());
      return kExitMalformed;
    }
    ErrorClear();
    Call(*op, line.args);
    if (uint8_t error = ErrorNumber())
      std::fprintf(stderr, "%s:%d: %s: error %u\n", name.c_str(), number, op->name, error);
  }
  std::fflush(stderr);
  WaitForWindows(windows);
  return status;
}

}  // namespace
}  // namespace qv::script

int main() {
  qv::Program program;
  program.main_routine = qv::script::RunScript;
  program.build_flags = qv::kBuildCreateDefaultFonts;
  program.create_default_fonts = qv::SurfaceStartUp;
  qv::StartUp(program);
}
