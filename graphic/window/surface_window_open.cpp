#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <new>
#include <string>

#include "canvas_create.h"
#include "canvas_font.h"
#include "draw_target.h"
#include "font_table.h"
#include "platform_name.h"
#include "runtime_state.h"
#include "string_ops.h"
#include "surface.h"
#include "surface_lock.h"
#include "surface_window.h"
#include "surface_window_loop.h"
#include "win32/runtime_thread.h"

namespace qv {

namespace {

constexpr wchar_t kFrameClass[] = L"QUILLGRAPH";
constexpr int32_t kFallbackFont = 1;
constexpr UINT kGrowFlags = 0x71C;  // no z-order, redraw, activation, bit copy, changing message
constexpr DWORD kCanvasStyle = 0x5000010D;  // WS_CHILD | WS_VISIBLE | SS_NOTIFY | SS_OWNERDRAW
constexpr DWORD kSettleMs = 50;
const HWND kNotReported = reinterpret_cast<HWND>(static_cast<intptr_t>(-1));

// Sizes beyond 32 bits are as large as 32 bits allow; the canvas that cannot be made of them
// then refuses the window.
int32_t Saturated(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

HINSTANCE Module() {
  void* module = Runtime().module;
  return module ? static_cast<HINSTANCE>(module) : GetModuleHandleW(nullptr);
}

// Registered once per process; two threads opening their first windows at once both end up
// with the one atom.
ATOM FrameClass() {
  static std::atomic<ATOM> atom{0};
  if (ATOM known = atom.load()) return known;
  WNDCLASSEXW frame{};
  frame.cbSize = sizeof frame;
  frame.style = CS_HREDRAW | CS_VREDRAW;
  frame.lpfnWndProc = SurfaceWindowProcedure;
  frame.hInstance = Module();
  frame.hIcon = frame.hIconSm = LoadIconW(nullptr, IDI_ASTERISK);
  frame.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  frame.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  frame.lpszClassName = kFrameClass;
  ATOM made = RegisterClassExW(&frame);
  if (!made && GetLastError() == ERROR_CLASS_ALREADY_EXISTS)
    made = static_cast<ATOM>(GetClassInfoExW(Module(), kFrameClass, &frame));
  atom.store(made);
  return made;
}

struct Opening {
  int32_t x, y, width, height;
  uint32_t style;
  int32_t font_number;
  uint32_t options;
  DynString title;
  std::atomic<HWND> frame{kNotReported};
  HANDLE reported = nullptr;  // set once `frame` holds the answer

  // The opener and the window thread share the opening; the last one out closes the event.
  ~Opening() {
    if (reported) CloseHandle(reported);
  }
};

struct ChosenFont {
  int32_t number = 0;
  HFONT handle = nullptr;
  TEXTMETRICW metrics{};
};

bool ChooseFont(int32_t number, ChosenFont& chosen) {
  FontRecord* font = FontTableFind(number);
  if (!font) font = FontTableFind(kFallbackFont);
  if (!font) return false;
  chosen.number = font->number;
  {
    SurfaceLockScope hold;
    chosen.handle = WindowFontGet(*font);
  }
  if (!chosen.handle) return false;
  HDC screen = GetDC(nullptr);
  if (!screen) return false;
  HGDIOBJ previous = SelectObject(screen, chosen.handle);
  bool measured = GetTextMetricsW(screen, &chosen.metrics);
  SelectObject(screen, previous);
  ReleaseDC(nullptr, screen);
  return measured;
}

// Builds the canvas child; false when any part fails (the frame's teardown removes what was made).
bool MakeCanvasChild(HWND frame, int32_t width, int32_t height, const ChosenFont& font) {
  HWND canvas = CreateWindowExW(0, L"STATIC", nullptr, kCanvasStyle, 0, 0, width, height, frame, nullptr, Module(),
                                nullptr);
  if (!canvas) return false;
  WindowRecord* record = RecordCreate(canvas, frame, kCanvasChildFlags, kKindGraphic);
  if (!record) return false;
  record->saved_procedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(canvas, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SurfaceChildProcedure)));
  {
    SurfaceLockScope hold;
    if (!CanvasCreate(*record, canvas)) return false;
    CanvasFontUse(*record, font.number, font.handle);
    CanvasColours(*record);
    record->pen_width = 0;
  }
  if (!DrawTargetGet()) DrawTargetSet(canvas);
  return true;
}

// A window that could not be finished is destroyed; its teardown posts WM_QUIT, which must not
// reach the caller's own loop.
HWND Abandon(HWND frame) {
  DestroyWindow(frame);
  MSG quit;
  PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  return nullptr;
}

HWND MakeWindow(const Opening& open) {
  if (!FrameClass()) return nullptr;
  ChosenFont font;
  if (!ChooseFont(open.font_number, font)) return nullptr;
  int32_t width = open.width, height = open.height;
  if (open.options & kWindowSizeInCells) {
    // The height argument counts columns and the width argument lines.
    width = Saturated(int64_t{open.height} * font.metrics.tmAveCharWidth);
    height = Saturated(int64_t{open.width} * (int64_t{font.metrics.tmHeight} + font.metrics.tmExternalLeading));
  }
  uint32_t style = open.style ? open.style : kGraphicWindowDefaultStyle;
  const std::wstring title_text = PlatformName(open.title);
  const wchar_t* title = title_text.c_str();
  if (*title) style |= WS_CAPTION;

  HWND frame = CreateWindowExW(0, kFrameClass, title, style, open.x, open.y, width, height, nullptr, nullptr,
                               Module(), nullptr);
  if (!frame) return nullptr;
  WindowRecord* record = RecordCreate(frame, nullptr, kGraphicFrameFlags, 0);
  if (!record) return Abandon(frame);
  record->show_command = SW_SHOW;
  record->requested_width = record->view_width = record->canvas_width = record->clip_width = width;
  record->requested_height = record->view_height = record->canvas_height = record->clip_height = height;

  RECT outer{}, client{};
  GetWindowRect(frame, &outer);
  GetClientRect(frame, &client);
  SetWindowPos(frame, nullptr, open.x, open.y,
               Saturated(int64_t{width} + (int64_t{outer.right} - outer.left) - client.right),
               Saturated(int64_t{height} + (int64_t{outer.bottom} - outer.top) - client.bottom), kGrowFlags);

  if (!MakeCanvasChild(frame, width, height, font)) return Abandon(frame);
  ShowWindow(frame, (open.options & kWindowShowInactive) ? SW_SHOWNOACTIVATE : SW_SHOW);
  SetForegroundWindow(frame);
  SetFocus(GetDlgItem(frame, 0));
  return frame;
}

void Report(Opening& open, HWND frame) {
  open.frame.store(frame);
  if (open.reported) SetEvent(open.reported);
}

void WindowThreadMain(void* parameter) {
  std::unique_ptr<std::shared_ptr<Opening>> handoff(static_cast<std::shared_ptr<Opening>*>(parameter));
  std::shared_ptr<Opening> open = *handoff;
  HWND frame = MakeWindow(*open);
  Report(*open, frame);
  if (frame) SurfaceWindowLoop(frame);
}

// Waits for the window thread's answer, running what other threads send meanwhile: the new
// window's activation may send to this thread's windows. A message that was already waiting
// when the wait began wakes it too.
HWND AwaitReport(const Opening& open, HANDLE thread) {
  HANDLE both[2] = {open.reported, thread};
  MSG message;
  while (open.frame.load() == kNotReported) {
    DWORD woken = MsgWaitForMultipleObjectsEx(2, both, INFINITE, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
    if (woken == WAIT_OBJECT_0 + 2) PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    // The thread ended without answering: no window.
    if (woken == WAIT_OBJECT_0 + 1 && open.frame.load() == kNotReported) return nullptr;
    if (woken == WAIT_FAILED) return nullptr;
  }
  return open.frame.load();
}

// As SurfaceAttach with identifier 0, but a window closed in the meantime leaves the caller as
// it was instead of raising an error.
void AttachNewCanvas(HWND frame) {
  HWND canvas = GetDlgItem(frame, 0);
  bool surface = false;
  {
    SurfaceLockScope hold;
    if (WindowRecord* record = RecordFind(canvas); record && record->is_surface()) {
      record->flags &= ~kDeferRedraw;
      surface = true;
    }
  }
  if (surface) DrawTargetSet(canvas);
}

}  // namespace

HWND SurfaceWindowOpen(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t style, int32_t font_number,
                       uint32_t options) {
  Opening open{x, y, width, height, style, font_number, options, PopText()};
  HWND frame = MakeWindow(open);
  if (frame) SurfaceWindowLoop(frame);
  return frame;
}

HWND SurfaceWindowOpenThreaded(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t style,
                               int32_t font_number, uint32_t options) {
  auto open = std::shared_ptr<Opening>(new (std::nothrow) Opening{x, y, width, height, style, font_number, options,
                                                                  PopText()});
  if (!open) return nullptr;
  open->reported = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!open->reported) return nullptr;

  auto handoff = std::make_unique<std::shared_ptr<Opening>>(open);
  HANDLE thread = RuntimeThreadStart(WindowThreadMain, handoff.get());
  if (!thread) return nullptr;
  handoff.release();  // the thread owns its share now
  HWND frame = AwaitReport(*open, thread);
  CloseHandle(thread);
  if (!frame) return nullptr;
  if (!DrawTargetGet()) AttachNewCanvas(frame);
  Sleep(kSettleMs);
  return frame;
}

}  // namespace qv
