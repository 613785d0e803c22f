#include "app_state.h"
#include "control_add.h"
#include "control_kind.h"
#include "dialog_create.h"
#include "dialog_show.h"
#include "frame.h"
#include "string_ops.h"
#include "surface_attach.h"
#include "surface_clear.h"
#include "text_literal.h"

namespace qv::app {

namespace {
constexpr uint32_t kDialogStyle = 0x00C80080;  // WS_CAPTION | WS_SYSMENU | DS_MODALFRAME
constexpr uint32_t kDialogExStyle = WS_EX_TOPMOST;
constexpr int32_t kClientWidth = 1220, kClientHeight = 980;
constexpr int32_t kControlX = 9, kControlY = 9, kControlWidth = 1202, kControlHeight = 962;
constexpr uint32_t kControlStyle = WS_BORDER;
constexpr int32_t kGraphicKind = 14;
constexpr int32_t kAttachShowAtOnce = 0;
constexpr int32_t kFillSolid = 0;
}  // namespace

void BuildMainDialog() {
  ProcedureFrame frame;
  static constexpr auto kTitle = WideText(u"Quorvex");

  PushText(kTitle);
  MainDialog = DialogCreate(kUnitPixels, nullptr, kCentred, kCentred, kClientWidth, kClientHeight,
                            kDialogStyle, kDialogExStyle);

  PushEmpty();  // no class name
  PushEmpty();  // no text
  ControlAdd(kGraphicKind, MainDialog, kGraphicControlId, nullptr, kControlX, kControlY,
             kControlWidth, kControlHeight, kControlStyle, 0, nullptr);

  SurfaceAttach(MainDialog, kGraphicControlId, kAttachShowAtOnce);
  SurfaceClear(kBackgroundColour, kFillSolid);
}

int32_t MainRoutine(void*, void*, const char16_t*, int32_t) {
  ProcedureFrame frame;
  BuildMainDialog();
  int32_t run_result = 0;
  DialogShowModal(MainDialog, MainDialogCallback, &run_result);
  return 0;
}

}  // namespace qv::app
