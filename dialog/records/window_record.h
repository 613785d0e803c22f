// Room records/: window records and their list, record fields, RecordDestroy, the font table,
// shared brushes, SurfaceLock and the giving back of what a control took. It uses the run-time
// only, and no other room of dialog/.
//
// WindowRecord: the run-time's own record of every window (and memory bitmap) it creates.
// Records form one singly linked list, newest first, guarded by one spin lock; a second word
// counts the live records.
//
// Threads and records. Dialogs and graphic windows live on the threads that created them;
// drawing operations reach a surface's record from any thread through its DrawTarget handle.
// - Owner: the thread of the record's window. Only it destroys the record (RecordDestroy on
//   WM_NCDESTROY); a memory surface's record belongs to whichever thread deletes it.
// - The list lock guards the links and the live count, held only for one walk or change; a
//   record pointer found under it is not kept alive by it.
// - SurfaceLock (surface_lock_word.h, defined here with the records so that it holds whether
//   or not a program connected the graphic entries) guards the surface fields of kinds 14 and
//   26 (canvas, dirty rectangle, flag word, sizes, colours, pen, key and click state) and the
//   record's life: RecordDestroy unlinks and frees a record, its memory DC, bitmaps and region
//   only while holding SurfaceLock. RecordFieldGet/RecordFieldSet take it too. Order: SurfaceLock
//   before the list lock, the list lock before the font table's. So an operation that found a record under SurfaceLock may use it until
//   it releases the lock, and a DrawTarget whose window has gone is simply not found.
// - The window's own thread may read its records without SurfaceLock (nobody else frees them),
//   but changes surface fields only under it. `idle_signals` is the one field touched without
//   any lock, atomically, between a graphic window's loop and the drawing threads.
// - A thread that holds SurfaceLock makes no window call that can wait for another thread:
//   no SendMessage, UpdateWindow, SetWindowPos or ShowWindow on another thread's window, no
//   activation or focus change (those send to other threads' windows). Refreshes invalidate
//   under the lock and update the window once it is released, whichever thread owns it, so a
//   paint always takes the lock itself; work on a graphic window goes to its thread by
//   SurfaceWindowSend, which releases the lock first; inside an outer hold of the same thread
//   such sends and updates wait for the outermost release (SurfaceLockWord::after_release). A
//   window thread that waits for the lock keeps running the messages sent to it, and drawing
//   threads let it go first.
// - No wait counts its own thread among those it waits for. A window thread counts as waiting
//   for SurfaceLock only while it tries for it, not while it runs a message sent to it, so what
//   that message runs (a callback that draws, waits for the lock, or sends to another waiting
//   window thread) goes ahead as soon as the holder lets go. Code that may run nested inside a
//   surface operation of its own thread checks held_by_caller() instead of waiting.
// - Every wait for another thread either runs the messages other threads send to the waiting
//   thread while it waits (lock_serving(), ServedWaitUntil(), a SendMessage whose target never
//   waits for the sender), or has a bound and a defined outcome when the bound passes. A thread
//   the wait depends on may be waiting for the caller without running messages (a program's
//   join or event wait): ControlKill from another thread queues its request at the control and
//   waits at most 500 ms (control_kill.cpp); the control goes when its thread next runs messages.
// - A brush leaves a record, and the decision to delete it is made, in one hold of the list
//   lock (brush_sharing.h).
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <optional>

#include "dialog_callback.h"

namespace qv {

// Flag word bits owned by the dialog engine.
enum RecordFlags : uint32_t {
  kFlagDialogUnits = 0x1,
  kFlagPixels = 0x2,
  kFlagUnitModes = kFlagDialogUnits | kFlagPixels,
  kFlagImageIcon = 0x4000,
  kFlagImageBitmap = 0x8000,
  kFlagShown = 0x10000,
  kFlagControl = 0x20000000,
  kFlagDialog = 0x40000000,
  kFlagGraphicFrame = 0x80000000,
};

// Surface bits of the same flag word.
enum SurfaceFlags : uint32_t {
  kSurfaceFocused = 0x20,
  kSurfaceFlipY = 0x80,
  kSurfaceFlipX = 0x100,
  kDeferRedraw = 0x200,
  kBatchRedraw = 0x2000,
  kDirtyPending = 0x20000,
  kForceRefresh = 0x40000,
  kScrollView = 0x80000,
  kStretchView = 0x100000,
  kRotatedFont = 0x4000000,
};

// Bits of idle_signals: the window thread's try-lock failed, so the next mark refreshes; a
// wake-up message for the window thread's loop is on its way.
constexpr uint32_t kIdleForceRequested = 0x1;
constexpr uint32_t kIdleWakePosted = 0x2;

// Bit 0 of the second flag word: a system close request is ignored.
constexpr uint32_t kCloseBlocked = 0x1;

// Colour sentinels shared by the dialog and surface code.
constexpr int32_t kColourSystem = -1;
constexpr int32_t kColourNone = -2;
constexpr int32_t kColourDefault = -3;

// Control kinds the engine treats specially.
enum ControlKinds : int32_t {
  kKindScrollBar = 8,
  kKindGraphic = 14,
  kKindOwnerDrawn = 15,
  kKindListView = 17,
  kKindTreeView = 18,
  kKindStatusBar = 20,
  kKindToolbar = 21,
  kKindTab = 22,
  kKindComboBox = 24,
  kKindMemorySurface = 26,
};

// The user-coordinate system put aside while a clip area is set.
struct SavedCoordinates {
  uint32_t flips = 0;
  float origin_x = 0, origin_y = 0, scale_x = 0, scale_y = 0;
};

struct WindowRecord {
  WindowRecord* next = nullptr;
  HANDLE handle = nullptr;  // window handle; a memory surface's bitmap handle
  HWND parent = nullptr;
  uint32_t flags = 0;
  uint32_t close_block = 0;  // second flag word
  int32_t show_command = SW_SHOW;
  HFONT font = nullptr;           // dialog: its font
  int32_t font_number = 0;        // control or surface: its FontRecord, 0 = none
  HFONT previous_font = nullptr;  // font to give back when the assigned one is released
  DialogCallback callback = nullptr;
  int32_t* result_target = nullptr;
  HACCEL accelerators = nullptr;
  HBRUSH background_brush = nullptr;
  int32_t background_colour = kColourDefault;
  int32_t text_colour = kColourDefault;

  // Graphic state of a surface (graphic control, canvas child, memory surface).
  HDC memory_dc = nullptr;
  HBITMAP default_bitmap = nullptr;  // what the memory DC held before the canvas
  HBITMAP spare_bitmap = nullptr;    // a second bitmap a drawing operation may keep
  HRGN clip_region = nullptr;
  uint32_t dirty_left = 0xFFFFFFFF, dirty_top = 0xFFFFFFFF, dirty_right = 0, dirty_bottom = 0;
  uint32_t batch_count = 0;
  HWND auxiliary[3] = {};  // scroll bars and filler of a scrolled view
  float origin_x = 0, origin_y = 0, scale_x = 0, scale_y = 0;
  SavedCoordinates saved_coordinates;
  int32_t requested_width = 0, requested_height = 0;
  int32_t view_width = 0, view_height = 0;
  int32_t canvas_width = 0, canvas_height = 0;
  int32_t clip_width = 0, clip_height = 0;
  int32_t clip_x = 0, clip_y = 0;
  int32_t view_x = 0, view_y = 0;
  int32_t current_x = 0, current_y = 0;
  int32_t margin_left = 0, margin_top = 0, margin_right = 0, margin_bottom = 0;
  int32_t char_width = 0, line_height = 0, line_gap = 0;
  int32_t unit_width = 0, unit_height = 0;  // size in dialog units + 1, for the scale factors
  HBRUSH graphic_brush = nullptr;
  int32_t fore_colour = 0;
  int32_t back_colour = 0;
  int32_t pen_style = 0;
  int32_t pen_width = 0;

  int32_t kind = 0;
  WNDPROC saved_procedure = nullptr;      // graphic control before subclassing
  WNDPROC saved_tab_procedure = nullptr;  // tab control before subclassing
  uint32_t style = 0;
  uint32_t ex_style = 0;
  HANDLE image = nullptr;
  HICON large_icon = nullptr, small_icon = nullptr;
  uint32_t key = 0;
  uint32_t click_state = 0;
  uint32_t click_x = 0, click_y = 0;
  int32_t user_values[8] = {};

  // Canvas of a graphic window: requests between its window thread's idle loop and the
  // drawing threads, outside SurfaceLock (bits kIdleForceRequested, kIdleWakePosted).
  std::atomic<uint32_t> idle_signals{0};

  HWND window() const { return static_cast<HWND>(handle); }
  bool is_surface() const { return kind == kKindGraphic || kind == kKindMemorySurface; }
};

// Creates and links a record. Null (the run-time's error 5, for callers that raise it) when
// the handle is 0 or already has a record, or memory runs out.
WindowRecord* RecordCreate(HANDLE handle, HWND parent, uint32_t flags, int32_t kind);

// The first record of the handle, or null; raises nothing.
WindowRecord* RecordFind(HANDLE handle);

// Removes the records of a window's controls (depth first) and then its own, with the
// drawing objects they hold.
void RecordDestroy(HANDLE handle);

// Live records in the process.
int32_t RecordCount();

// The fields a program may address by number.
enum class RecordField : int32_t {
  kParent = 2,
  kFlags = 3,
  kCloseBlock = 4,
  kShowCommand = 5,
  kFont = 6,
  kPreviousFont = 7,
  kCallback = 8,
  kResultTarget = 9,
  kAccelerators = 10,
  kBackgroundBrush = 11,
  kBackgroundColour = 12,
  kTextColour = 13,
  kKind = 14,
  kStyle = 15,
  kExStyle = 16,
  kImage = 17,
};

// Read or write one field; nullopt / false when the handle has no record.
std::optional<intptr_t> RecordFieldGet(HANDLE handle, RecordField field);
bool RecordFieldSet(HANDLE handle, RecordField field, intptr_t value);

// Child walks, each under the list lock.
WindowRecord* FirstControlOf(HWND parent);
WindowRecord* NextRecordOf(HWND parent, const WindowRecord* after);
WindowRecord* NextBarOf(HWND parent, const WindowRecord* after);  // kinds 20 and 21
WindowRecord* GraphicControlOf(HWND parent, int n);              // n-th kind 14, from 1

}  // namespace qv
