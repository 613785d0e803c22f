#include "dialog_test_support.h"

#include "dialog_create.h"
#include "dialog_end.h"
#include "dyn_string.h"
#include "string_ops.h"

namespace qv::testing {

namespace {
constexpr UINT_PTR kSafetyTimer = 77;
}

HWND MakeDialog(const std::u16string& title, int32_t x, int32_t y, int32_t width, int32_t height,
                uint32_t style, uint32_t ex_style, int32_t unit_mode, HWND parent) {
  PushOwned(DynString::FromUnits(title));
  return DialogCreate(unit_mode, parent, x, y, width, height, style, ex_style);
}

HWND MakeToolDialog() { return MakeDialog(u"Bit grid", kCentred, kCentred, 1220, 980); }

void AddControl(int32_t kind, HWND dialog, int32_t id, int32_t x, int32_t y, int32_t width, int32_t height,
                uint32_t style, uint32_t ex_style, DialogCallback callback, const std::u16string& text,
                const std::u16string& class_name, const ItemList* items) {
  PushOwned(DynString::FromUnits(class_name));
  PushOwned(DynString::FromUnits(text));
  ControlAdd(kind, dialog, id, items, x, y, width, height, style, ex_style, callback);
}

std::vector<Seen>& CallbackLog() {
  static std::vector<Seen> log;
  return log;
}

std::vector<UINT> LoggedMessages() {
  std::vector<UINT> messages;
  for (const Seen& s : CallbackLog()) messages.push_back(s.message);
  return messages;
}

LRESULT CALLBACK LoggingCallback(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  CallbackLog().push_back({message, wparam, lparam, IsWindow(dialog) && IsWindowVisible(dialog)});
  if (message == WM_TIMER && wparam == kSafetyTimer) DialogEnd(dialog, -99);
  return 0;
}

void ArmSafetyTimer(HWND dialog) { SetTimer(dialog, kSafetyTimer, 10000, nullptr); }

void PumpFor(DWORD milliseconds) {
  DWORD start = GetTickCount();
  MSG message;
  while (GetTickCount() - start < milliseconds) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(5);
  }
}

std::vector<uint32_t> CaptureClient(HWND window, int& width, int& height) {
  RECT client{};
  GetClientRect(window, &client);
  width = client.right;
  height = client.bottom;
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  HDC screen = GetDC(window);
  HDC copy = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(copy, bitmap);
  BitBlt(copy, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  SelectObject(copy, old);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  GetDIBits(copy, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
  for (uint32_t& p : pixels) p &= 0x00FFFFFF;
  DeleteObject(bitmap);
  DeleteDC(copy);
  ReleaseDC(window, screen);
  return pixels;
}

}  // namespace qv::testing
