#include "surface_test_support.h"

#include <cstring>

#include "dialog_show.h"
#include "dialog_test_support.h"
#include "error.h"
#include "draw_target.h"
#include "surface_pixels.h"
#include "surface_attach.h"
#include "surface_clear.h"
#include "surface_colours.h"
#include "surface_make_brush.h"
#include "surface_pen.h"
#include "string_ops.h"

namespace qv::testing {

HWND ToolSurface::dialog_ = nullptr;
HWND ToolSurface::control_ = nullptr;

namespace {
int paints = 0;
int32_t dialog_result = 0;

LRESULT CALLBACK CountPaints(HWND, UINT message, WPARAM, LPARAM) {
  if (message == WM_DRAWITEM) ++paints;
  return 0;
}
}  // namespace

HWND MakeSurfaceDialog(HWND& control) {
  HWND dialog = MakeToolDialog();
  AddControl(14, dialog, kControlId, 9, 9, 1202, 962, WS_BORDER);
  control = GetDlgItem(dialog, kControlId);
  return dialog;
}

void ToolSurface::SetUpTestSuite() {
  SurfaceDetach();
  dialog_ = MakeSurfaceDialog(control_);
  ASSERT_NE(control_, nullptr);
  DialogShowModeless(dialog_, CountPaints, &dialog_result);
  PumpFor(300);
}

void ToolSurface::TearDownTestSuite() {
  DestroyWindow(dialog_);
  dialog_ = control_ = nullptr;
}

void ToolSurface::SetUp() {
  ASSERT_TRUE(IsWindow(control_));
  ErrorClear();
  WindowRecord* record = Record();
  record->flags &= ~(kDeferRedraw | kBatchRedraw | kForceRefresh | kStretchView);
  record->batch_count = 0;
  SurfaceAttach(dialog_, kControlId, 0);
  PumpFor(20);
}

WindowRecord* ToolSurface::Record() { return RecordFind(control_); }

std::vector<uint32_t> ToolSurface::Screen() {
  int width = 0, height = 0;
  return CaptureClient(control_, width, height);
}

DynString ToolSurface::Read() {
  SurfaceReadPixels();
  return PopText();
}

uint32_t ToolSurface::PixelAt(const DynString& pixels, int32_t x, int32_t y) {
  uint32_t value = 0;
  std::memcpy(&value, pixels.data() + kPixelHeaderBytes + 4 * (static_cast<size_t>(y) * kCanvasWidth + x), 4);
  return value & 0x00FFFFFF;
}

int ToolSurface::Paints() { return paints; }

}  // namespace qv::testing
