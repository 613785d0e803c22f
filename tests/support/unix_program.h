// Linux programs started from a test under Wine, which runs a program given by its path on
// the Z: drive: how tests reach the X display (xdotool, a window manager's close) as a person's
// keyboard or window manager would.
#pragma once

#include <windows.h>

#include <string>

namespace qv::testing {

// Starts `path` (e.g. "/usr/bin/xdotool") with the whole command line, its own name first;
// false when it could not be started. With `process`, the caller receives the process handle
// to wait on and close (Wine may give none: null); without, it is closed at once.
bool StartUnixProgram(const std::string& path, std::wstring command_line, HANDLE* process = nullptr);

}  // namespace qv::testing
