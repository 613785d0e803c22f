#include "served_wait.h"

namespace qv {

bool ServedWaitUntil(const std::function<bool()>& done, DWORD bound_ms) {
  DWORD start = GetTickCount();
  MSG message;
  for (;;) {
    if (done()) return true;
    DWORD spent = GetTickCount() - start;
    if (spent >= bound_ms) return false;
    // Wakes for a message sent to this thread, else looks again after a millisecond.
    MsgWaitForMultipleObjectsEx(0, nullptr, 1, QS_SENDMESSAGE, 0);
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

}  // namespace qv
