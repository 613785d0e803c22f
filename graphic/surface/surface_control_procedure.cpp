#include "surface.h"
#include "surface_input.h"
#include "surface_lock.h"
#include "scroll_area.h"
#include "surface_messages.h"

namespace qv {

namespace {

constexpr uint32_t kExtendedKey = 1u << 24;

uint32_t ScanCode(LPARAM lparam) { return (static_cast<uint32_t>(lparam) >> 16) & 0xFF; }

// The scroll message a navigation key gives in a scrolled view; false for other keys.
bool NavigationScroll(WPARAM key, UINT& message, WPARAM& code) {
  switch (key) {
    case VK_LEFT: message = WM_HSCROLL; code = SB_LINELEFT; return true;
    case VK_RIGHT: message = WM_HSCROLL; code = SB_LINERIGHT; return true;
    case VK_UP: message = WM_VSCROLL; code = SB_LINEUP; return true;
    case VK_DOWN: message = WM_VSCROLL; code = SB_LINEDOWN; return true;
    case VK_PRIOR: message = WM_VSCROLL; code = SB_PAGEUP; return true;
    case VK_NEXT: message = WM_VSCROLL; code = SB_PAGEDOWN; return true;
    case VK_HOME: message = WM_VSCROLL; code = SB_TOP; return true;
    case VK_END: message = WM_VSCROLL; code = SB_BOTTOM; return true;
    default: return false;
  }
}

// Changes a field of the window's record under SurfaceLock; false when it has no record.
template <typename Change>
bool ChangeRecord(HWND window, Change change) {
  SurfaceLockScope hold;
  WindowRecord* record = RecordFind(window);
  if (record) change(*record);
  return record != nullptr;
}

}  // namespace

LRESULT CallSavedProcedure(WNDPROC saved, HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return saved ? CallWindowProcW(saved, window, message, wparam, lparam)
               : DefWindowProcW(window, message, wparam, lparam);
}

KeyAction KeyClassify(UINT message, LPARAM lparam, bool num_lock, bool shift) {
  uint32_t scan = ScanCode(lparam);
  bool extended = (static_cast<uint32_t>(lparam) & kExtendedKey) != 0;
  if (message == WM_SYSKEYDOWN) return !extended && scan == 0x44 ? KeyAction::kStore : KeyAction::kDefault;
  if (extended) {
    switch (scan) {
      case 0x1C: case 0x35: case 0x3A: case 0x45: case 0x46: return KeyAction::kDefault;
      default: return KeyAction::kNavigate;
    }
  }
  if (scan == 0x57 || scan == 0x58 || (scan >= 0x3B && scan <= 0x44)) return KeyAction::kNavigate;
  if (scan == 0x4A || scan == 0x4E) return KeyAction::kDefault;
  if (scan >= 0x47 && scan <= 0x53) return num_lock && !shift ? KeyAction::kDefault : KeyAction::kNavigate;
  return KeyAction::kDefault;
}

std::optional<LRESULT> SurfaceInputMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                           bool tab_by_whole_code) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      bool num_lock = (GetKeyState(VK_NUMLOCK) & 1) != 0;
      bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
      KeyAction action = KeyClassify(message, lparam, num_lock, shift);
      if (action == KeyAction::kDefault) return std::nullopt;
      UINT scroll = 0;
      WPARAM code = 0;
      bool scrolled = false;
      if (!ChangeRecord(window, [&](WindowRecord& r) { scrolled = r.flags & kScrollView; })) return std::nullopt;
      if (action == KeyAction::kNavigate && scrolled && NavigationScroll(wparam, scroll, code)) {
        SendMessageW(window, scroll, code, 0);
        return 0;
      }
      ChangeRecord(window, [&](WindowRecord& r) { r.key = ScanCode(lparam) << 16; });
      return 0;
    }
    case WM_CHAR: {
      bool tab = tab_by_whole_code ? (wparam & 0xFFFF) == '\t' : (wparam & 0xFF) == '\t';
      if (tab) return std::nullopt;
      if (!ChangeRecord(window, [&](WindowRecord& r) { r.key = static_cast<uint32_t>(wparam); })) return std::nullopt;
      return 0;
    }
    case WM_SETFOCUS:
      ChangeRecord(window, [](WindowRecord& r) { r.flags |= kSurfaceFocused; });
      return std::nullopt;
    case WM_KILLFOCUS:
      ChangeRecord(window, [](WindowRecord& r) { r.flags &= ~kSurfaceFocused; });
      return std::nullopt;
    case WM_HSCROLL:
    case WM_VSCROLL:
      // Without a scrolled view the message goes on to the saved procedure.
      return SurfaceScrollMessage(window, message, wparam, lparam);
    case WM_SIZE:
      ScrollViewSized(window);
      return std::nullopt;
    case WM_MOUSEWHEEL: {
      short delta = GET_WHEEL_DELTA_WPARAM(wparam);
      if (delta == 0) return 0;
      UINT scroll = (GET_KEYSTATE_WPARAM(wparam) & MK_SHIFT) ? WM_HSCROLL : WM_VSCROLL;
      SendMessageW(window, scroll, delta > 0 ? SB_LINEUP : SB_LINEDOWN, 0);
      return 0;
    }
    default:
      return std::nullopt;
  }
}

LRESULT CALLBACK SurfaceControlProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  // Only this window's thread destroys its record, so the saved procedure can be read here.
  WindowRecord* record = RecordFind(window);
  if (!record) return DefWindowProcW(window, message, wparam, lparam);
  WNDPROC saved = record->saved_procedure;

  if (auto answer = SurfaceInputMessage(window, message, wparam, lparam, false)) return *answer;
  switch (message) {
    case WM_LBUTTONDOWN:
      SetFocus(window);
      break;
    case WM_GETDLGCODE:
      return DLGC_WANTALLKEYS;
    case kCanvasScrollArea:
      ScrollAreaMake(window, wparam, lparam);
      break;  // and on to the saved procedure
    default:
      break;
  }
  return CallSavedProcedure(saved, window, message, wparam, lparam);
}

}  // namespace qv
