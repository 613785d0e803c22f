#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "dialog_end.h"
#include "dialog_settings.h"
#include "dialog_show.h"
#include "dialog_test_support.h"
#include "font_table.h"
#include "import_hook.h"
#include "surface_lock_word.h"
#include "window_record.h"

namespace qv {
namespace {

using testing::AddControl;
using testing::MakeDialog;

// An image list with one image; its bitmap goes when the list is destroyed.
struct TrackedList {
  HIMAGELIST list = nullptr;
  HBITMAP bitmap = nullptr;
};

TrackedList MakeImageList() {
  TrackedList tracked;
  tracked.list = ImageList_Create(16, 16, ILC_COLOR24, 1, 1);
  HDC screen = GetDC(nullptr);
  HBITMAP image = CreateCompatibleBitmap(screen, 16, 16);
  ReleaseDC(nullptr, screen);
  ImageList_Add(tracked.list, image, nullptr);
  DeleteObject(image);
  IMAGEINFO info{};
  ImageList_GetImageInfo(tracked.list, 0, &info);
  tracked.bitmap = info.hbmImage;
  return tracked;
}

// A window class of the tests' own that keeps the font it is given and logs what it receives.
std::vector<std::pair<UINT, WPARAM>> font_log;
HFONT held_font = nullptr;

LRESULT CALLBACK FontKeeper(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_SETFONT) {
    held_font = reinterpret_cast<HFONT>(wparam);
    font_log.emplace_back(message, wparam);
    return 0;
  }
  if (message == WM_GETFONT) return reinterpret_cast<LRESULT>(held_font);
  if (message == WM_DESTROY) font_log.emplace_back(message, 0);
  return DefWindowProcW(window, message, wparam, lparam);
}

void RegisterFontKeeper() {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = FontKeeper;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = L"QvFontKeeper";
  RegisterClassW(&window_class);
}

// A callback that answers every message, WM_NCDESTROY included.
LRESULT CALLBACK AnswersEverything(HWND, UINT, WPARAM, LPARAM) { return 1; }

TEST(Teardown, RecordsGoWhateverTheCallbackAnswersToNcDestroy) {
  int32_t records = RecordCount();
  HWND dialog = MakeDialog(u"answers", 0, 0, 200, 100);
  AddControl(5, dialog, 4001, 0, 0, 50, 20, 0);
  AddControl(5, dialog, 4002, 0, 30, 50, 20, 0);
  ControlSetColor(dialog, 4001, 0, 0x123456);
  HBRUSH brush = RecordFind(GetDlgItem(dialog, 4001))->background_brush;
  ASSERT_NE(brush, nullptr);
  RecordFind(dialog)->callback = AnswersEverything;
  DestroyWindow(dialog);
  EXPECT_EQ(RecordFind(dialog), nullptr);
  EXPECT_EQ(RecordCount(), records);
  EXPECT_EQ(GetObjectType(brush), 0u);
  // The handle value can be recorded again.
  ASSERT_NE(RecordCreate(dialog, nullptr, kFlagDialog, 0), nullptr);
  RecordDestroy(dialog);
}

int closes = 0;

LRESULT CALLBACK EndsOnClose(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  if (message == WM_CLOSE) {
    ++closes;
    DialogEnd(dialog, 7);  // a common way to handle WM_CLOSE
  }
  if (message == WM_APP) DialogEnd(dialog, 5);
  if (message == WM_TIMER && wparam == 77) DialogEnd(dialog, -99);
  return 0;
}

TEST(Teardown, DialogEndedAgainFromWmCloseEndsOnce) {
  int32_t records = RecordCount();
  HWND dialog = MakeDialog(u"ends once", 0, 0, 200, 100);
  testing::ArmSafetyTimer(dialog);
  closes = 0;
  PostMessageW(dialog, WM_APP, 0, 0);
  int32_t result = 0;
  DialogShowModal(dialog, EndsOnClose, &result);
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(result, 5);
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_EQ(RecordCount(), records);

  // The user's close: the engine ends with 0, the callback's own end on WM_CLOSE is ignored.
  dialog = MakeDialog(u"user close", 0, 0, 200, 100);
  testing::ArmSafetyTimer(dialog);
  closes = 0;
  PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
  DialogShowModal(dialog, EndsOnClose, &result);
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(RecordCount(), records);
}

TEST(Teardown, ControlsGiveBackFontsAndImageListsWhileTheirWindowsExist) {
  RegisterFontKeeper();
  HWND dialog = MakeDialog(u"lists", 0, 0, 400, 300);
  AddControl(18, dialog, 4101, 0, 0, 100, 100, 0);
  AddControl(21, dialog, 4102, 0, 0, 100, 30, 0);
  AddControl(22, dialog, 4103, 0, 120, 200, 100, 0);
  AddControl(0, dialog, 4104, 250, 0, 100, 30, WS_CHILD | WS_VISIBLE, 0, nullptr, u"", u"QvFontKeeper");
  TrackedList tree = MakeImageList(), bar = MakeImageList(), hot = MakeImageList(), tab = MakeImageList();
  SendMessageW(GetDlgItem(dialog, 4101), TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(tree.list));
  SendMessageW(GetDlgItem(dialog, 4102), TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(bar.list));
  SendMessageW(GetDlgItem(dialog, 4102), TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(hot.list));
  SendMessageW(GetDlgItem(dialog, 4103), TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(tab.list));
  HFONT dialog_font = RecordFind(dialog)->font;
  ControlSetFont(dialog, 4104, 3);
  font_log.clear();

  DestroyWindow(dialog);
  for (const TrackedList* list : {&tree, &bar, &hot, &tab}) EXPECT_EQ(GetObjectType(list->bitmap), 0u);
  // The keeper got its first font back before its window went.
  ASSERT_EQ(font_log.size(), 2u);
  EXPECT_EQ(font_log[0], std::pair(static_cast<UINT>(WM_SETFONT), reinterpret_cast<WPARAM>(dialog_font)));
  EXPECT_EQ(font_log[1].first, static_cast<UINT>(WM_DESTROY));

  // A killed control too.
  dialog = MakeDialog(u"kill", 0, 0, 400, 300);
  AddControl(18, dialog, 4101, 0, 0, 100, 100, 0);
  TrackedList killed = MakeImageList();
  SendMessageW(GetDlgItem(dialog, 4101), TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(killed.list));
  ControlKill(dialog, 4101);
  EXPECT_EQ(GetObjectType(killed.bitmap), 0u);
  DestroyWindow(dialog);
}

// The bitmap of an image list's images: gone once the list is destroyed.
HBITMAP ListBitmap(HIMAGELIST list) {
  IMAGEINFO info{};
  return list && ImageList_GetImageInfo(list, 0, &info) ? info.hbmImage : nullptr;
}

// Looks at a toolbar's own list when the toolbar's WM_DESTROY arrives.
bool own_list_alive_at_destroy = false;
HBITMAP own_list_bitmap = nullptr;

LRESULT CALLBACK SeeOwnList(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
  if (message == WM_DESTROY) own_list_alive_at_destroy = GetObjectType(own_list_bitmap) == OBJ_BITMAP;
  if (message == WM_NCDESTROY) RemoveWindowSubclass(window, SeeOwnList, 1);
  return DefSubclassProc(window, message, wparam, lparam);
}

// A toolbar that made its own list (standard pictures) destroys it itself: the engine leaves it
// alone, on a dialog's teardown and on a DestroyWindow of the control alike. A list the program
// handed is destroyed once, also when the program destroys the control itself, and a list
// handed to two controls lives until both are gone.
TEST(Teardown, ImageListsAreReleasedOnceAndOnlyWhenHanded) {
  for (bool destroy_control : {false, true}) {
    own_list_alive_at_destroy = false;
    HWND dialog = MakeDialog(u"bar", 0, 0, 400, 300);
    AddControl(21, dialog, 4201, 0, 0, 300, 30, 0);
    HWND bar = GetDlgItem(dialog, 4201);
    TBADDBITMAP standard{HINST_COMMCTRL, IDB_STD_SMALL_COLOR};
    SendMessageW(bar, TB_ADDBITMAP, 0, reinterpret_cast<LPARAM>(&standard));
    auto own = reinterpret_cast<HIMAGELIST>(SendMessageW(bar, TB_GETIMAGELIST, 0, 0));
    ASSERT_NE(own, nullptr);
    own_list_bitmap = ListBitmap(own);
    ASSERT_NE(own_list_bitmap, nullptr);
    SetWindowSubclass(bar, SeeOwnList, 1, 0);
    TrackedList hot = MakeImageList();
    SendMessageW(bar, TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(hot.list));
    DestroyWindow(destroy_control ? bar : dialog);
    EXPECT_TRUE(own_list_alive_at_destroy) << destroy_control;
    EXPECT_EQ(GetObjectType(own_list_bitmap), 0u) << destroy_control;  // the toolbar's own doing
    EXPECT_EQ(GetObjectType(hot.bitmap), 0u) << destroy_control;
    if (destroy_control) DestroyWindow(dialog);
  }

  HWND dialog = MakeDialog(u"shared", 0, 0, 400, 300);
  AddControl(18, dialog, 4202, 0, 0, 100, 100, 0);
  AddControl(18, dialog, 4203, 120, 0, 100, 100, 0);
  AddControl(22, dialog, 4204, 0, 120, 200, 100, 0);
  TrackedList shared = MakeImageList(), replaced = MakeImageList(), tab = MakeImageList();
  for (int id : {4202, 4203})
    SendMessageW(GetDlgItem(dialog, id), TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(shared.list));
  SendMessageW(GetDlgItem(dialog, 4204), TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(replaced.list));
  SendMessageW(GetDlgItem(dialog, 4204), TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(tab.list));
  DestroyWindow(GetDlgItem(dialog, 4202));
  EXPECT_EQ(GetObjectType(shared.bitmap), static_cast<DWORD>(OBJ_BITMAP));  // the other still uses it
  DestroyWindow(dialog);
  EXPECT_EQ(GetObjectType(shared.bitmap), 0u);
  EXPECT_EQ(GetObjectType(tab.bitmap), 0u);
  EXPECT_EQ(GetObjectType(replaced.bitmap), static_cast<DWORD>(OBJ_BITMAP));  // went back to the program
  ImageList_Destroy(replaced.list);
}

// The engine's own ImageList_Destroy calls.
std::vector<HIMAGELIST> engine_destroyed;
BOOL(WINAPI* g_image_list_destroy)(HIMAGELIST) = nullptr;

BOOL WINAPI CountingImageListDestroy(HIMAGELIST list) {
  engine_destroyed.push_back(list);
  return g_image_list_destroy(list);
}

size_t EngineDestroys(HIMAGELIST list) {
  return static_cast<size_t>(std::count(engine_destroyed.begin(), engine_destroyed.end(), list));
}

bool Alive(const TrackedList& tracked) { return GetObjectType(tracked.bitmap) == OBJ_BITMAP; }

// The engine frees only the slots the teardown rule names, never while a sharing list view still
// holds the list, and never a list that a list view destroying its own lists took over.
TEST(Teardown, HandedListsLiveWhileAnotherHolderUsesThem) {
  engine_destroyed.clear();
  testing::ImportHook hook("comctl32.dll", "ImageList_Destroy", reinterpret_cast<void*>(CountingImageListDestroy));
  ASSERT_TRUE(hook.installed());
  g_image_list_destroy = reinterpret_cast<BOOL(WINAPI*)(HIMAGELIST)>(hook.original());
  HWND dialog = MakeDialog(u"holders", 0, 0, 500, 400);
  AddControl(18, dialog, 4401, 0, 0, 100, 100, 0);
  AddControl(21, dialog, 4402, 0, 0, 300, 30, 0);
  AddControl(17, dialog, 4403, 0, 120, 200, 100, 0x50000009 | LVS_SHAREIMAGELISTS);
  AddControl(17, dialog, 4404, 220, 120, 200, 100, 0);  // destroys its own lists
  HWND tree = GetDlgItem(dialog, 4401), bar = GetDlgItem(dialog, 4402), owner = GetDlgItem(dialog, 4404);
  TrackedList state = MakeImageList(), shared = MakeImageList(), taken = MakeImageList();
  SendMessageW(tree, TVM_SETIMAGELIST, TVSIL_STATE, reinterpret_cast<LPARAM>(state.list));
  SendMessageW(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(taken.list));
  SendMessageW(owner, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(taken.list));
  SendMessageW(bar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(shared.list));
  SendMessageW(GetDlgItem(dialog, 4403), LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(shared.list));

  DestroyWindow(tree);
  EXPECT_TRUE(Alive(state)) << "a tree view's state list is not the engine's";
  EXPECT_TRUE(Alive(taken)) << "the list view that took it over still holds it";
  DestroyWindow(bar);
  EXPECT_TRUE(Alive(shared)) << "the sharing list view still holds it";
  DestroyWindow(owner);
  EXPECT_FALSE(Alive(taken));
  EXPECT_EQ(EngineDestroys(taken.list), 0u) << "the list view freed it itself";
  DestroyWindow(dialog);
  EXPECT_FALSE(Alive(shared));
  EXPECT_EQ(EngineDestroys(shared.list), 1u);
  EXPECT_EQ(EngineDestroys(state.list), 0u);
  g_image_list_destroy(state.list);
}

// Giving a graphic control its first font back at teardown changes the canvas under SurfaceLock.
// The canvas's font selection is watched: the first font must go back while SurfaceLock is held.
struct LockWatch {
  HDC dc = nullptr;
  HFONT assigned = nullptr;
  bool font_given_back = false;
  bool held_when_given_back = false;
} lock_watch;

HGDIOBJ(WINAPI* g_select_object)(HDC, HGDIOBJ) = nullptr;

HGDIOBJ WINAPI WatchingSelectObject(HDC dc, HGDIOBJ object) {
  if (dc == lock_watch.dc && object != lock_watch.assigned && GetObjectType(object) == OBJ_FONT) {
    lock_watch.font_given_back = true;
    lock_watch.held_when_given_back = SurfaceLock().held_by_caller();
  }
  return g_select_object(dc, object);
}

TEST(Teardown, AGraphicControlsFontGoesBackUnderSurfaceLock) {
  HWND dialog = MakeDialog(u"canvas", 0, 0, 300, 200);
  AddControl(14, dialog, 4301, 0, 0, 100, 100, 0);
  WindowRecord* record = RecordFind(GetDlgItem(dialog, 4301));
  ASSERT_NE(record, nullptr);
  lock_watch = LockWatch{};
  lock_watch.dc = CreateCompatibleDC(nullptr);
  lock_watch.assigned = CreateFontW(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, L"Tahoma");
  record->memory_dc = lock_watch.dc;  // freed by the record's teardown
  record->previous_font = static_cast<HFONT>(SelectObject(lock_watch.dc, lock_watch.assigned));
  ASSERT_TRUE(FontTableRetain(2));
  record->font_number = 2;
  {
    testing::ImportHook hook("gdi32.dll", "SelectObject", reinterpret_cast<void*>(WatchingSelectObject));
    ASSERT_TRUE(hook.installed());
    g_select_object = reinterpret_cast<HGDIOBJ(WINAPI*)(HDC, HGDIOBJ)>(hook.original());
    DestroyWindow(dialog);
  }
  EXPECT_TRUE(lock_watch.font_given_back);
  EXPECT_TRUE(lock_watch.held_when_given_back);
  DeleteObject(lock_watch.assigned);
}

bool TableAlive(HACCEL table) { return CopyAcceleratorTableW(table, nullptr, 0) > 0; }

TEST(Teardown, AcceleratorTablesAreFreedWhenReplacedAndWithTheRecord) {
  HWND dialog = MakeDialog(u"keys", 0, 0, 200, 100);
  const ACCEL keys[] = {{FVIRTKEY | FCONTROL, 'K', 4242}, {FVIRTKEY, VK_F5, 4343}};
  DialogSetAccelerators(dialog, keys);
  HACCEL first = RecordFind(dialog)->accelerators;
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(CopyAcceleratorTableW(first, nullptr, 0), 2);
  DialogSetAccelerators(dialog, std::span(keys, 1));
  HACCEL second = RecordFind(dialog)->accelerators;
  EXPECT_FALSE(TableAlive(first));
  EXPECT_EQ(CopyAcceleratorTableW(second, nullptr, 0), 1);
  DialogSetAccelerators(dialog, {});  // an empty array leaves no table
  EXPECT_FALSE(TableAlive(second));
  EXPECT_EQ(RecordFind(dialog)->accelerators, nullptr);

  DialogSetAccelerators(dialog, keys);
  HACCEL third = RecordFind(dialog)->accelerators;
  DestroyWindow(dialog);  // not through DialogEnd
  EXPECT_FALSE(TableAlive(third));
}

}  // namespace
}  // namespace qv
