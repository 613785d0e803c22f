// The run-time operations a drawing script can call, by their run-time names, and the lines
// of the runner's own that make and save the target.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "script_line.h"

namespace qv::script {

// Argument kinds, one letter each: F float, I 32-bit whole number, T text, P point list.
// Texts and point lists are pushed as operands before the call, in order.
struct Operation {
  const char* name;
  const char* kinds;
  void (*call)(const std::vector<Value>& args);
};

// The operation named (case-insensitive), or null.
const Operation* FindOperation(std::string_view name);

// A line of the runner's own (window, memory, save): false when `name` is not one. `error`
// receives why it failed: a malformed line (`malformed` set) or a target that could not be
// made or written.
struct Outcome {
  bool malformed = false;
  std::string error;
  void* window = nullptr;  // a graphic window the line opened: the runner waits for it to close
};
bool RunTargetLine(const Line& line, Outcome& outcome);

// Whether the arguments fit the kinds; otherwise the reason.
std::string CheckArguments(const Operation& op, const std::vector<Value>& args);

// Pushes the text and point-list arguments, then calls.
void Call(const Operation& op, const std::vector<Value>& args);

// Wide text of a UTF-8 argument, and back.
std::wstring Wide(const std::string& text);
std::string Utf8(const std::wstring& text);

}  // namespace qv::script
