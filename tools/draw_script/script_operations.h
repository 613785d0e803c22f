// The operations a drawing script can call: one table of every run-time operation by its
// run-time name, with its arguments in the run-time's order, and the runner's own lines that
// make, name, switch and save targets. The table is the one place that knows them; the runner,
// `draw_script --operations` and tests enumerate it.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "script_line.h"

namespace qv::script {

using Args = std::vector<Value>;

// What a script calls its surfaces: a memory surface by its handle, a graphic window by its
// frame (control identifier 0 finds the canvas). A destroyed memory surface keeps its name
// with a null handle, so the name can never reach a later surface that reuses the handle.
struct Surface {
  HANDLE handle = nullptr;
};

// A graphic window the script opened, and the thread it runs on.
struct OpenedWindow {
  HWND frame = nullptr;
  std::unique_ptr<void, decltype(&CloseHandle)> thread{nullptr, &CloseHandle};
};

// The runner's state across the lines of one script.
struct Context {
  std::map<std::string, Surface> names;
  std::vector<OpenedWindow> windows;  // the runner waits until they are closed and their threads ended

  void KeepWindow(HWND frame) {
    DWORD thread_id = GetWindowThreadProcessId(frame, nullptr);
    windows.push_back({frame, {thread_id ? OpenThread(SYNCHRONIZE, FALSE, thread_id) : nullptr, &CloseHandle}});
  }
};

// What a line did besides its operation's own work.
struct Outcome {
  std::optional<std::string> printed;  // one line for standard output (getters)
  std::string error;                   // a target could not be made, loaded or saved
  std::optional<Surface> made;         // the surface the line made, for its `as NAME`
};

enum class Family { kRunner, kTarget, kDrawing, kCopies, kMemory, kText, kOptions, kKeys, kWindows };
const char* FamilyName(Family family);

// Argument kinds, one letter each: F float, I 32-bit whole number, T text, P point list,
// S a surface by its script name. Arguments after a '|' may be left out, all together.
// Texts and point lists are pushed as operands before the call, in order.
struct Operation {
  const char* name;
  const char* kinds;
  const char* arguments;  // one word per kind, for people: "x y relative colour"
  const char* prints;     // what a getter prints ("" nothing)
  Family family;
  bool makes_surface;  // takes `as NAME` after its arguments
  void (*call)(Context& context, const Args& args, Outcome& outcome);
};

std::span<const Operation> Operations();

// The operation named (case-insensitive), or null.
const Operation* FindOperation(std::string_view name);

// Whether the arguments fit the kinds (and named surfaces exist); otherwise the reason.
std::string CheckArguments(const Operation& op, const Args& args, const Context& context);

// Pushes the text and point-list arguments, then calls.
void Call(const Operation& op, const Args& args, Context& context, Outcome& outcome);

// Wide text of a UTF-8 argument, and back.
std::wstring Wide(const std::string& text);
std::string Utf8(const std::wstring& text);

// The text argument pushed as a UTF-16 operand.
void PushArgumentText(const std::u16string& units);

// The n-th argument of a kind, counting only those: F and I count numbers, S names.
float F(const Args& a, size_t n);
int32_t I(const Args& a, size_t n);
HANDLE S(const Context& context, const Args& a, size_t n);

// The runner's own lines (memory, load, window, target, save), for the table.
void RunMemory(Context& context, const Args& args, Outcome& outcome);
void RunLoad(Context& context, const Args& args, Outcome& outcome);
void RunWindow(Context& context, const Args& args, Outcome& outcome);
void RunTarget(Context& context, const Args& args, Outcome& outcome);
void RunSave(Context& context, const Args& args, Outcome& outcome);

}  // namespace qv::script
