#include "win32/api_call_guard.h"

#include <windows.h>

#include <cfenv>

#include "frame.h"
#include "runtime_state.h"

namespace qv::guard_detail {

namespace {
// Shared under the platform-call lock.
std::fenv_t g_saved_fp_state;
UINT g_saved_error_mode = 0;
constexpr UINT kGuardErrorMode = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;  // 0x8001
}  // namespace

void Enter(bool capture_errors) {
  Runtime().api_lock.lock();
  std::fegetenv(&g_saved_fp_state);
  if (capture_errors) {
    g_saved_error_mode = SetErrorMode(kGuardErrorMode);
    SetLastError(0);
  }
}

uint32_t Leave(bool capture_errors) {
  std::fesetenv(&g_saved_fp_state);
  uint32_t last_error = 0;
  if (capture_errors) {
    last_error = GetLastError();
    SetErrorMode(g_saved_error_mode);
  }
  Runtime().api_lock.unlock();
  return last_error;
}

}  // namespace qv::guard_detail
