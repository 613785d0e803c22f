#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "draw_target.h"
#include "drawing_test_support.h"
#include "error.h"
#include "frame.h"
#include "memory_surface.h"
#include "string_ops.h"
#include "surface_attach.h"
#include "surface_clear.h"
#include "surface_drawing.h"
#include "window_record.h"

namespace qv {
namespace {

using namespace testing;

class MemorySurfaces : public MemoryCanvas {
 protected:
  std::wstring File(const wchar_t* leaf) { return ScratchDirectory() + L"\\" + leaf; }
  void Save(const std::wstring& name) {
    PushWide(name);
    SurfaceSaveBitmap();
  }
  // Temporary files the saves may have left in the scratch directory.
  int Leftovers() {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((ScratchDirectory() + L"\\qvb*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int n = 1;
    while (FindNextFileW(search, &found)) ++n;
    FindClose(search);
    return n;
  }
};

TEST_F(MemorySurfaces, CreateRecordsAnUnclearedDeferredSurface) {
  HANDLE surface = MemorySurfaceCreate(30, 20);
  ASSERT_NE(surface, nullptr);
  WindowRecord* record = RecordFind(surface);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->kind, kKindMemorySurface);
  EXPECT_EQ(record->flags, 0x10000202u);
  EXPECT_EQ(record->parent, nullptr);
  EXPECT_EQ(record->canvas_width, 30);
  EXPECT_EQ(record->clip_height, 20);
  EXPECT_EQ(record->font_number, 1);
  EXPECT_EQ(GetBkMode(record->memory_dc), OPAQUE);
  EXPECT_EQ(DrawTargetGet(), surface_);  // creating does not attach

  EXPECT_EQ(MemorySurfaceCreate(0, 10), nullptr);
  EXPECT_EQ(MemorySurfaceCreate(10, -1), nullptr);

  int32_t records = RecordCount();
  SurfaceAttach(surface, 0, 0);
  MemorySurfaceDestroy();
  EXPECT_EQ(RecordFind(surface), nullptr);
  EXPECT_EQ(RecordCount(), records - 1);
  EXPECT_EQ(DrawTargetGet(), nullptr);
  MemorySurfaceDestroy();  // nothing left to destroy
  EXPECT_EQ(ErrorNumber(), 0);
}

TEST_F(MemorySurfaces, AThreeByTwoCanvasSavesToSeventyEightBytes) {
  Make(3, 2);
  SurfaceSetPixel(0, 0, 0, 0x00332211);  // top row
  SurfaceSetPixel(2, 1, 0, 0x00665544);  // bottom row, right
  std::wstring name = File(L"three.bmp");
  WriteBytes(name, std::string(500, 'x'));  // a longer file is replaced whole
  Save(name);
  std::string bytes = FileBytes(name);
  ASSERT_EQ(bytes.size(), 78u);
  auto field = [&](size_t offset) {
    uint32_t v = 0;
    std::memcpy(&v, bytes.data() + offset, 4);
    return v;
  };
  EXPECT_EQ(bytes.substr(0, 2), "BM");
  EXPECT_EQ(field(2), 78u);
  EXPECT_EQ(field(10), 54u);
  EXPECT_EQ(field(18), 3u);
  EXPECT_EQ(field(22), 2u);
  std::string white(3, '\xFF');
  // Bottom row first, each pixel blue, green, red, three zero bytes after each row.
  EXPECT_EQ(bytes.substr(54, 12), white + white + std::string("\x66\x55\x44\0\0\0", 6));
  EXPECT_EQ(bytes.substr(66, 12), std::string("\x33\x22\x11", 3) + white + white + std::string(3, '\0'));
  EXPECT_EQ(Leftovers(), 0);
  DeleteFileW(name.c_str());
}

TEST_F(MemorySurfaces, AFailedSaveLeavesTheOldFile) {
  std::wstring name = File(L"kept.bmp");
  WriteBytes(name, "the old picture");
  // Another program holds the file open without letting it be replaced.
  HANDLE holder = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  Save(name);
  CloseHandle(holder);
  EXPECT_EQ(FileBytes(name), "the old picture");
  EXPECT_EQ(Leftovers(), 0);
  // A directory that does not exist: nothing is made, nothing raised.
  Save(File(L"missing\\x.bmp"));
  EXPECT_EQ(GetFileAttributesW(File(L"missing").c_str()), INVALID_FILE_ATTRIBUTES);
  PushWide(L"");
  SurfaceSaveBitmap();
  EXPECT_EQ(ErrorNumber(), 0);
  EXPECT_EQ(ProcedureFrame::Current().operands().depth(), 0);
  // Released, the same save goes through.
  Save(name);
  EXPECT_EQ(FileBytes(name).size(), 54u + 300 * 100);
  DeleteFileW(name.c_str());
}

TEST_F(MemorySurfaces, ASaveGoesIntoAFolderOfAnyLength) {
  Make(5, 4);
  std::wstring folder = ScratchDirectory();
  std::vector<std::wstring> made;
  while (folder.size() < 1000) {  // four times the classic path limit
    folder += L"\\" + std::wstring(200, L'd');
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr)) << folder.size();
    made.push_back(folder);
  }
  std::wstring name = folder + L"\\long.bmp";
  Save(name);
  EXPECT_EQ(FileBytes(name).size(), 54u + 4 * 16);  // four rows of 15 pixel bytes, padded
  EXPECT_EQ(Leftovers(), 0);
  DeleteFileW(name.c_str());
  for (auto it = made.rbegin(); it != made.rend(); ++it) RemoveDirectoryW(it->c_str());
}

TEST_F(MemorySurfaces, ASavedFileLoadsBackExactly) {
  Make(37, 23);  // rows padded in the file
  SurfaceBox(2, 2, 30, 20, 40, kRed, kBlue, 3);
  SurfaceMoveTo(0, 22, 0);
  SurfaceLineTo(36, 0, 0, 0x00123456);
  Canvas drawn = Snapshot();
  std::wstring name = File(L"round.bmp");
  Save(name);

  PushWide(name);
  HANDLE loaded = MemorySurfaceLoad(0, 0, 0);
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(ProcedureFrame::Current().operands().depth(), 0);
  SurfaceAttach(loaded, 0, 0);
  Canvas back = Snapshot();
  EXPECT_EQ(back.width, 37);
  EXPECT_EQ(back.height, 23);
  EXPECT_EQ(back.colours, drawn.colours);
  MemorySurfaceDestroy();

  PushWide(name);
  HANDLE doubled = MemorySurfaceLoad(74, 46, COLORONCOLOR);
  ASSERT_NE(doubled, nullptr);
  SurfaceAttach(doubled, 0, 0);
  Canvas big = Snapshot();
  ASSERT_EQ(big.width, 74);
  for (int32_t y = 0; y < 23; ++y)
    for (int32_t x = 0; x < 37; ++x) ASSERT_EQ(big.At(2 * x + 1, 2 * y + 1), drawn.At(x, y)) << x << "," << y;
  MemorySurfaceDestroy();

  // A negative size is no size a surface can have: nothing made, nothing raised.
  for (auto [w, h] : {std::pair{-37, 23}, {37, -23}, {-1, -1}}) {
    PushWide(name);
    EXPECT_EQ(MemorySurfaceLoad(w, h, 0), nullptr) << w << " x " << h;
  }
  // An odd last byte of the name is no character: the name is the units before it.
  std::string odd(reinterpret_cast<const char*>(name.data()), name.size() * 2);
  PushOwned(DynString::FromBytes(odd + "A"));
  HANDLE by_odd_name = MemorySurfaceLoad(0, 0, 0);
  ASSERT_NE(by_odd_name, nullptr);
  DestroySurface(by_odd_name);
  EXPECT_EQ(ErrorNumber(), 0);
  SurfaceAttach(surface_, 0, 0);
  DeleteFileW(name.c_str());
}

TEST_F(MemorySurfaces, LoadByNumberResourceOrFile) {
  const wchar_t check[2] = {32760, 0};  // OBM_CHECK, two characters with the zero
  PushOwned(DynString::FromUnits(std::u16string_view(reinterpret_cast<const char16_t*>(check), 2)));
  HANDLE system = MemorySurfaceLoad(0, 0, 0);
  ASSERT_NE(system, nullptr);
  EXPECT_GT(RecordFind(system)->canvas_width, 0);
  DestroySurface(system);

  PushWide(L"NoSuchBitmap");  // neither a resource nor a file
  EXPECT_EQ(MemorySurfaceLoad(0, 0, 0), nullptr);
  PushWide(L"");
  EXPECT_EQ(MemorySurfaceLoad(10, 10, 0), nullptr);
  EXPECT_EQ(ErrorNumber(), 0);
  EXPECT_EQ(ProcedureFrame::Current().operands().depth(), 0);
}

}  // namespace
}  // namespace qv
