#pragma once

namespace qv {

// The first unit of the command tail: after the program name (quoted or not) and the blanks
// that follow it. The tail runs to the terminating 0.
const char16_t* LocateCommandTail(const char16_t* command_line);

}  // namespace qv
