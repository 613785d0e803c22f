// Input typed and clicked through the X display, as a person would: xdotool, started from the
// test program (Wine runs a Unix program by its path). Nothing waits for it to finish; tests
// wait for what its keys and clicks do instead.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "window_test_support.h"

namespace qv::testing {

// Runs xdotool with the arguments (its command chain, split at blanks; no quoting); false
// when it could not be started.
bool Xdotool(const std::string& arguments);

// WaitUntil for a thread that owns windows too: their messages are dispatched meanwhile.
bool WaitPumping(const std::function<bool()>& condition, DWORD ms = kPatienceMs);

}  // namespace qv::testing
