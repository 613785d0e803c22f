#include <algorithm>
#include <string>

#include "drawing_tools.h"
#include "string_ops.h"
#include "surface.h"
#include "surface_keys.h"
#include "text_layout.h"

namespace qv {

namespace {

constexpr DWORD kBlinkMs = 500;
constexpr DWORD kPollMs = 10;  // keys come from a person: far slower than this
constexpr int32_t kCaretWidth = 2;

enum class Edit { kNone, kChanged, kDone, kRefused };

// The line being edited, drawn after the prompt at a fixed place of the canvas.
struct Field {
  int32_t x = 0, y = 0;
  int32_t covered_right = 0;  // right edge of what the last drawing of the field covered
  std::u16string text;
  bool caret = true;
};

Edit Apply(Field& field, uint32_t key) {
  if (!(key & 0xFFFF)) return Edit::kRefused;  // a function or navigation key
  char16_t unit = static_cast<char16_t>(key & 0xFFFF);
  switch (unit) {
    case u'\r':
      return Edit::kDone;
    case u'\x1b':
      field.text.clear();
      return Edit::kChanged;
    case u'\b':
      if (field.text.empty()) return Edit::kRefused;
      field.text.pop_back();
      if (!field.text.empty() && field.text.back() >= 0xD800 && field.text.back() <= 0xDBFF) field.text.pop_back();
      return Edit::kChanged;
    default:
      if (unit < 0x20 || unit == 0x7F) return Edit::kRefused;
      field.text.push_back(unit);
      return Edit::kChanged;
  }
}

// Draws the field (text, then the caret when it is on) over what it showed before.
void Draw(WindowRecord& record, Field& field, DirtyBox& drawn) {
  HDC dc = record.memory_dc;
  if (!dc) return;
  int32_t bottom = AddClamped(field.y, LinePitch(record));
  SIZE extent = TextExtent(record, field.text);
  int32_t caret_x = AddClamped(field.x, extent.cx);
  int32_t right = AddClamped(caret_x, kCaretWidth);
  RECT erase{field.x, field.y, std::max(field.covered_right, right), bottom};
  if (record.graphic_brush) FillRect(dc, &erase, record.graphic_brush);
  RECT line{field.x, field.y, record.canvas_width, bottom};
  SetTextAlign(dc, TA_NOUPDATECP);
  ExtTextOutW(dc, field.x, field.y, ETO_CLIPPED, &line, reinterpret_cast<const wchar_t*>(field.text.data()),
              static_cast<UINT>(field.text.size()), nullptr);
  SetTextAlign(dc, TA_UPDATECP);
  if (field.caret) {
    GdiObject brush(CreateSolidBrush(static_cast<COLORREF>(LineColour(record, kColourSystem))));
    RECT caret{caret_x, field.y, right, AddClamped(field.y, record.line_height)};
    if (brush.get()) FillRect(dc, &caret, static_cast<HBRUSH>(brush.get()));
  }
  drawn.Add(erase.left, erase.top, erase.right, erase.bottom);
  field.covered_right = right;
}

// Runs the calling thread's messages meanwhile: the keys of a target window of this very thread
// come that way, and the thread's other windows (and threads that send to them) must not stop
// while a window of another thread is read. False once the thread has been asked to quit (the
// request is passed on).
bool Wait() {
  MsgWaitForMultipleObjectsEx(0, nullptr, kPollMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return true;
}

}  // namespace

void SurfaceLineInput() {
  DynString prompt = PopText();
  Field field;
  WindowRecord* record = SurfaceAcquire();
  if (!record) return PushEmpty();
  DirtyBox drawn;
  PrintLocked(*record, prompt.wide_view(), drawn);
  // A memory surface has no window and never receives a key.
  HWND window = record->kind == kKindGraphic ? record->window() : nullptr;
  field.x = record->current_x;
  field.y = record->current_y;
  if (window) Draw(*record, field, drawn);
  MarkText(*record, drawn);

  DWORD blink_from = GetTickCount();
  bool done = !window;
  while (!done) {
    if (!Wait()) break;
    // The target's record goes with its window: then nothing more can be typed.
    record = SurfaceAcquire();
    if (!record) break;
    if (record->window() != window) {
      SurfaceRelease();
      break;
    }
    uint32_t key = record->key;
    record->key = 0;
    Edit edit = key ? Apply(field, key) : Edit::kNone;
    bool redraw = edit == Edit::kChanged || edit == Edit::kDone;
    if (edit == Edit::kDone) {
      field.caret = false;
      done = true;
    } else if (edit == Edit::kChanged) {
      field.caret = true;  // the caret shows steadily while typing
      blink_from = GetTickCount();
    } else if (GetTickCount() - blink_from >= kBlinkMs) {
      field.caret = !field.caret;
      blink_from = GetTickCount();
      redraw = true;
    }
    DirtyBox changed;
    if (redraw) Draw(*record, field, changed);
    if (done) {
      record->current_x = AddClamped(field.x, TextExtent(*record, field.text).cx);
      record->current_y = field.y;
      NewLineLocked(*record, changed);
    }
    MarkText(*record, changed);  // or only the release, when nothing was drawn
    if (edit == Edit::kRefused) MessageBeep(MB_OK);  // not while others wait for the lock
  }
  PushOwned(DynString::FromUnits(field.text));
}

}  // namespace qv
