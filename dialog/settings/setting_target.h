// How the setting operations find their target window.
#pragma once

#include <windows.h>

#include <cstdint>

namespace qv {

enum class Itself { kNo, kYes };

// The dialog's control `id` (GetDlgItem), or with Itself::kYes and id 0x80000000 the dialog
// itself; null unless the target is a live window with a record.
HWND SettingTarget(HWND dialog, int32_t id, Itself itself);

}  // namespace qv
