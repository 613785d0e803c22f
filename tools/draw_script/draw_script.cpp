// Runs a drawing script against the run-time: draw_script.exe [--slow MS] SCRIPT
// Each line is one run-time operation by its name with its arguments, or a line of the
// runner's own (memory, load, window, target, save). Getters print their result on standard
// output, one line each. A malformed line stops the script with its line number (exit code 2);
// an error number raised by an operation is printed with the line and the script goes on.
// Exit code 1: the script cannot be read, or a target cannot be made, loaded or saved. Graphic
// windows stay open after the last line until they are closed (a malformed line ends the
// runner and its windows at once). draw_script.exe --operations lists every operation.
// With --slow MS every line during which the surface lock was held longer than MS milliseconds
// without a break is reported as SCRIPT:LINE: Operation: slow, the surface lock held N ms.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cwchar>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "command_args.h"
#include "error.h"
#include "lock_watch.h"
#include "runtime_state.h"
#include "script_line.h"
#include "script_operations.h"
#include "surface_start_up.h"
#include "win32/startup.h"

namespace qv::script {
namespace {

constexpr int32_t kExitFailed = 1, kExitMalformed = 2;
constexpr DWORD kWindowPollMs = 100, kThreadEndMs = 10000;

// Each window runs on its own thread. The runner waits for the window to go, then for its
// thread to end: under Wine, a process that ends while a window thread is on its way out can
// be killed by the server instead of ending with its exit code.
void WaitForWindows(const std::vector<OpenedWindow>& windows) {
  for (const OpenedWindow& window : windows) {
    while (IsWindow(window.frame)) Sleep(kWindowPollMs);
    if (window.thread) WaitForSingleObject(window.thread.get(), kThreadEndMs);
  }
}

// A malformed line ends the runner with its windows, but the threads of windows already closed
// are on their way out: the runner lets them end first, for the same reason.
void WaitForClosedWindows(const std::vector<OpenedWindow>& windows) {
  for (const OpenedWindow& window : windows)
    if (window.thread && !IsWindow(window.frame)) WaitForSingleObject(window.thread.get(), kThreadEndMs);
}

// One line per operation: name, family, arguments and what it prints, tab-separated.
int32_t ListOperations() {
  for (const Operation& op : Operations())
    std::printf("%s\t%s\t%s\t%s\t%s\n", op.name, FamilyName(op.family), op.kinds, op.arguments, op.prints);
  return 0;
}

bool IsAs(const Value& v) {
  return v.kind == Value::Kind::kName && v.text.size() == 2 && (v.text[0] | 0x20) == 'a' && (v.text[1] | 0x20) == 's';
}

// A line's `as NAME` ending, taken off its arguments; empty when there is none.
std::string TakeName(Line& line) {
  size_t n = line.args.size();
  if (n < 2 || !IsAs(line.args[n - 2]) || line.args[n - 1].kind != Value::Kind::kName) return {};
  std::string name = line.args[n - 1].text;
  line.args.resize(n - 2);
  return name;
}

int32_t RunScript(void*, void*, const char16_t* tail, int32_t) {
  // Lines end in \n alone, so that what the runner prints reads the same on every system.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  std::u16string_view command = tail ? tail : u"";
  std::u16string_view argument = CommandArgument(command, 1);
  double slow_ms = -1;  // no limit
  int32_t script_argument = 1;
  if (argument == u"--slow") {
    std::u16string_view limit = CommandArgument(command, 2);
    slow_ms = std::wcstod(std::wstring(limit.begin(), limit.end()).c_str(), nullptr);
    script_argument = 3;
  }
  argument = CommandArgument(command, script_argument);
  std::wstring path(argument.begin(), argument.end());
  if (path == L"--operations") return ListOperations();
  if (path.empty() || (script_argument == 3 && !(slow_ms > 0))) {
    std::fprintf(stderr, "usage: draw_script [--slow MS] SCRIPT | --operations\n");
    return kExitMalformed;
  }
  std::string script = Utf8(path);
  std::ifstream file(path.c_str(), std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "%s: cannot be read\n", script.c_str());
    return kExitFailed;
  }
  std::string text;
  int number = 0;
  int32_t status = 0;
  Context context;
  std::optional<LockWatch> watch;
  if (slow_ms > 0) watch.emplace();
  auto say = [&](const std::string& message) {
    std::fflush(stdout);  // printed results and messages stay in the order of the lines
    std::fprintf(stderr, "%s:%d: %s\n", script.c_str(), number, message.c_str());
    std::fflush(stderr);
  };
  while (std::getline(file, text)) {
    if (++number == 1 && text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);  // a byte-order mark
    ParseResult parsed = ParseLine(text);
    if (!parsed.error.empty()) {
      say(parsed.error);
      WaitForClosedWindows(context.windows);
      return kExitMalformed;
    }
    if (!parsed.line) continue;
    Line& line = *parsed.line;
    std::string name = TakeName(line);
    const Operation* op = FindOperation(line.name);
    std::string wrong = op ? CheckArguments(*op, line.args, context) : "unknown operation " + line.name;
    if (wrong.empty() && !name.empty() && !op->makes_surface)
      wrong = std::string(op->name) + " makes no surface to name";
    if (!wrong.empty()) {
      say(wrong);
      WaitForClosedWindows(context.windows);
      return kExitMalformed;
    }
    ErrorClear();
    Outcome outcome;
    if (watch) watch->TakeLongestMs();
    Call(*op, line.args, context, outcome);
    if (double held = watch ? watch->TakeLongestMs() : 0; watch && held > slow_ms)
      say(std::string(op->name) + ": slow, the surface lock held " + std::to_string(static_cast<long long>(held)) +
          " ms");
    if (uint8_t error = ErrorNumber()) say(std::string(op->name) + ": error " + std::to_string(error));
    if (outcome.printed) {
      std::fputs((*outcome.printed + "\n").c_str(), stdout);
      std::fflush(stdout);
    }
    if (!outcome.error.empty()) {
      say(outcome.error);
      status = kExitFailed;
    }
    // A surface that could not be made is named all the same: using it then finds no surface,
    // as for one that is gone.
    if (!name.empty()) context.names[name] = outcome.made.value_or(Surface{});
  }
  WaitForWindows(context.windows);
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
