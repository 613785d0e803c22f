#include "surface.h"
#include "surface_messages.h"

namespace qv {

LRESULT SurfaceWindowSend(WindowRecord& record, UINT message, WPARAM wparam, LPARAM lparam) {
  HWND window = record.window();
  SurfaceRelease();
  return SendMessageW(window, message, wparam, lparam);
}

}  // namespace qv
