// picture_dialog [FILE]
//
// A dialog holding one graphic control: draws a small picture into the control, saves it as a
// 24-bit BMP (FILE, or picture.bmp) and says in its title whether that worked. Close the
// window to end; the exit code is 0 when the picture was saved, 1 when not.
#include <quorvex/quorvex.h>

#include <windows.h>

#include <cstdint>
#include <string>

namespace {

constexpr int32_t kGraphicControl = 14;  // the control kind of a graphic surface
constexpr int32_t kPictureId = 100;
constexpr int32_t kWidth = 300, kHeight = 180;  // the control's drawing area, in pixels
constexpr uint32_t kDialogStyle = WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr int32_t kSolid = 0;
constexpr int32_t kEllipse = static_cast<int32_t>(0x80000000);  // SurfaceBox corner: the ellipse

// Colours are 0x00BBGGRR.
constexpr int32_t kSky = 0xF0D8A0, kGrass = 0x3C9A3C, kSunEdge = 0x00A0F0, kSun = 0x00E0FF;
constexpr int32_t kWallEdge = 0x202060, kWall = 0x3050C0, kDoor = 0x104070;

std::u16string picture_file = u"picture.bmp";
bool saved = false;

// When the file was last written; 0 when there is none.
uint64_t LastWritten(const std::u16string& file) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(reinterpret_cast<const wchar_t*>(file.c_str()), GetFileExInfoStandard, &data)) return 0;
  return (uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime;
}

void DrawPicture() {
  // Without SurfaceScale the user units are the control's pixels, y growing downwards.
  qv::SurfaceClear(kSky, kSolid);
  qv::SurfaceBox(0, 130, kWidth, kHeight, 0, kGrass, kGrass, kSolid);  // right and bottom ends excluded
  qv::SurfaceBox(220, 20, 270, 70, kEllipse, kSunEdge, kSun, kSolid);
  qv::SurfaceBox(60, 80, 160, 140, 0, kWallEdge, kWall, kSolid);
  qv::SurfaceBox(100, 105, 120, 140, 0, kWallEdge, kDoor, kSolid);
}

void SetTitle(const std::u16string& title, HWND dialog) {
  qv::PushOwned(qv::DynString::FromUnits(title));
  qv::DialogSetText(dialog);
}

LRESULT CALLBACK PictureCallback(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message != WM_INITDIALOG) return 0;  // 0: the engine goes on with the message
  qv::ProcedureFrame frame;
  DrawPicture();
  // The save raises no error; a failed one leaves an old file as it was. So the file's time
  // tells whether it worked.
  const uint64_t before = LastWritten(picture_file);
  qv::PushOwned(qv::DynString::FromUnits(picture_file));
  qv::SurfaceSaveBitmap();
  const uint64_t after = LastWritten(picture_file);
  saved = after != 0 && after != before;
  SetTitle((saved ? u"Quorvex picture: saved to " : u"Quorvex picture: not saved to ") + picture_file, dialog);
  return 0;
}

int32_t PictureMain(void*, void*, const char16_t* tail, int32_t) {
  qv::ProcedureFrame frame;
  if (const std::u16string_view file = qv::CommandArgument(tail, 1); !file.empty()) picture_file = file;

  qv::PushOwned(qv::DynString::FromUnits(u"Quorvex picture"));
  const HWND dialog = qv::DialogCreate(qv::kUnitPixels, nullptr, qv::kCentred, qv::kCentred,
                                       kWidth + 20, kHeight + 20, kDialogStyle, 0);
  if (!dialog) return 1;
  qv::PushEmpty();  // no class name
  qv::PushEmpty();  // no text
  qv::ControlAdd(kGraphicControl, dialog, kPictureId, nullptr, 10, 10, kWidth, kHeight, 0, 0, nullptr);
  qv::SurfaceAttach(dialog, kPictureId, 0);  // drawing shows at once

  int32_t result = 0;
  qv::DialogShowModal(dialog, PictureCallback, &result);  // until the window is closed
  return saved ? 0 : 1;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  qv::Program program;
  program.main_routine = PictureMain;
  program.build_flags = qv::kBuildCreateDefaultFonts;
  program.create_default_fonts = qv::SurfaceStartUp;  // graphic controls in dialogs
  qv::StartUp(program);
}
