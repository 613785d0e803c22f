#include "control_kind.h"

namespace qv {

namespace {

constexpr ControlKindRow kRows[kLastControlKind + 1] = {
    {0, 0, 0, u""},  // any window class, style used unchanged
    {0x50010000, 0x50000000, 0, u"BUTTON"},
    {0x50010006, 0x50000006, 0xA7FC00C9, u"BUTTON"},
    {0x50010003, 0x50000003, 0xA7FC00CC, u"BUTTON"},
    {0x50000007, 0x50000007, 0xA7FFD0F8, u"BUTTON"},
    {0x50000000, 0x50000000, 0, u"STATIC"},
    {0x50000012, 0x50000000, 0, u"STATIC"},
    {0x50010009, 0x50000009, 0xA7FC00C6, u"BUTTON"},
    {0x50000000, 0x50000000, 0, u"SCROLLBAR"},
    {0x50810080, 0x50000000, 0, u"EDIT"},
    {0x5000000E, 0x5000000E, 0, u"STATIC"},
    {0x5000000E, 0x5000000E, 0, u"STATIC"},
    {0x50010080, 0x50000080, 0, u"BUTTON"},
    {0x50010080, 0x50000080, 0, u"BUTTON"},
    {0x5001000D, 0x5000000D, 0, u"STATIC"},
    {0x5001000D, 0x5000000D, 0, u"STATIC"},
    {0x50000000, 0x50000000, 0, u"SysHeader32"},
    {0x50000009, 0x50000000, 0, u"SysListView32"},
    {0x50010027, 0x50000000, 0, u"SysTreeView32"},
    {0x50800000, 0x50000000, 0, u"msctls_progress32"},
    {0x50000003, 0x50000000, 0, u"msctls_statusbar32"},
    {0x50800801, 0x50000000, 0, u"ToolbarWindow32"},
    {0x56010000, 0x50000000, 0x00000305, u"SysTabControl32"},
    {0, 0, 0, u""},  // a window of the caller's class
    {0x50010102, 0x50000000, 0, u"COMBOBOX"},
    {0x50A10003, 0x50000001, 0, u"LISTBOX"},
};

}  // namespace

const ControlKindRow* ControlKindFind(int32_t kind) {
  if (kind < 0 || kind > kLastControlKind) return nullptr;
  return &kRows[kind];
}

}  // namespace qv
