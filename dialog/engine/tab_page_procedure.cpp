#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "dialog_procedure.h"
#include "window_redraw.h"
#include "window_record.h"

namespace qv {

namespace {

RECT DisplayArea(HWND tab) {
  RECT area{};
  GetClientRect(tab, &area);
  SendMessageW(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  return area;
}

std::vector<HWND> PagesOf(HWND tab) {
  std::vector<HWND> pages;
  for (WindowRecord* r = NextRecordOf(tab, nullptr); r; r = NextRecordOf(tab, r)) pages.push_back(r->window());
  return pages;
}

}  // namespace

LRESULT CALLBACK TabPageProcedure(HWND tab, UINT message, WPARAM wparam, LPARAM lparam) {
  WindowRecord* record = RecordFind(tab);
  if (!record) return 0;
  WNDPROC previous = record->saved_tab_procedure;
  if (record->kind == kKindTab && message == WM_MOVE) {
    RECT area = DisplayArea(tab);
    HWND parent = GetParent(tab);
    RECT placed{};
    GetWindowRect(tab, &placed);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&placed), 2);
    OffsetRect(&area, placed.left, placed.top);
    for (HWND page : PagesOf(tab)) SetWindowPos(page, nullptr, area.left, area.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    WindowRedraw(parent);
    return 0;
  }
  if (record->kind == kKindTab && message == WM_SIZE) {
    RECT area = DisplayArea(tab);
    for (HWND page : PagesOf(tab))
      SetWindowPos(page, nullptr, 0, 0, area.right - area.left, area.bottom - area.top, SWP_NOMOVE | SWP_NOZORDER);
  }
  return previous ? CallWindowProcW(previous, tab, message, wparam, lparam) : DefWindowProcW(tab, message, wparam, lparam);
}

}  // namespace qv
