// The dialog engine's process-wide words. Plain words without locks: they are touched only by
// the thread that runs the dialogs.
#pragma once

#include <windows.h>

#include <cstdint>

namespace qv {

struct DialogEngineState {
  int32_t open_dialogs = 0;      // up on WM_INITDIALOG, down on WM_DESTROY
  HWND active_dialog = nullptr;  // the engine dialog that was last activated
  HWND dropped_combo = nullptr;  // combo box whose list is dropped down
};

DialogEngineState& DialogEngine();

}  // namespace qv
