// Helpers for the dialog engine's tests: dialogs and controls made the way a program makes
// them (strings through the operand stack), and a log of what a callback saw.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "control_add.h"
#include "dialog_callback.h"

namespace qv::testing {

// The application's dialog: pixel mode, centred, 1220 x 980 client, its style and ex style.
constexpr uint32_t kToolStyle = 0x00C80080;
constexpr uint32_t kToolExStyle = 8;

HWND MakeDialog(const std::u16string& title, int32_t x, int32_t y, int32_t width, int32_t height,
                uint32_t style = kToolStyle, uint32_t ex_style = kToolExStyle, int32_t unit_mode = 2,
                HWND parent = nullptr);
HWND MakeToolDialog();

void AddControl(int32_t kind, HWND dialog, int32_t id, int32_t x, int32_t y, int32_t width, int32_t height,
                uint32_t style, uint32_t ex_style = 0, DialogCallback callback = nullptr,
                const std::u16string& text = u"", const std::u16string& class_name = u"",
                const ItemList* items = nullptr);

struct Seen {
  UINT message;
  WPARAM wparam;
  LPARAM lparam;
  bool visible;
};

// What the logging callbacks saw, in order.
std::vector<Seen>& CallbackLog();
std::vector<UINT> LoggedMessages();

// Logs every message and answers 0. A safety timer (id 77) ends the dialog with -99 so that a
// broken loop cannot hang the test program.
LRESULT CALLBACK LoggingCallback(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
void ArmSafetyTimer(HWND dialog);

// Runs the thread's messages for a while (for windows shown without a modal loop).
void PumpFor(DWORD milliseconds);

// The window's client-area pixels as 0x00RRGGBB values, read from the screen through the
// window's DC.
std::vector<uint32_t> CaptureClient(HWND window, int& width, int& height);

}  // namespace qv::testing
