#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <functional>
#include <string>
#include <tuple>
#include <thread>

#include "drawing_test_support.h"
#include "error.h"
#include "frame.h"
#include "memory_surface.h"
#include "surface_attach.h"
#include "surface_clear.h"
#include "surface_copy.h"
#include "surface_drawing.h"
#include "surface_lock.h"

namespace qv {
namespace {

using namespace testing;

class Copies : public MemoryCanvas {};

// What each mix's block copy makes of source S over destination D.
int32_t Expected(int32_t mix, int32_t s, int32_t d) {
  int32_t r;
  switch (mix) {
    case 2: r = ~(s | d); break;  // NOTSRCERASE
    case 4: r = ~s; break;        // NOTSRCCOPY
    case 5: r = s & ~d; break;    // SRCERASE
    case 7: r = s ^ d; break;     // SRCINVERT
    case 9: r = s & d; break;     // SRCAND
    case 12: r = ~s | d; break;   // MERGEPAINT
    case 15: r = s | d; break;    // SRCPAINT
    default: r = s; break;        // SRCCOPY
  }
  return r & 0x00FFFFFF;
}

TEST_F(Copies, EveryMixHasItsRasterOperation) {
  constexpr int32_t kSource = 0x00F0CC33, kTarget = 0x0055AA0F;
  HANDLE source = FilledSurface(4, 4, kSource);
  Make(4, 4);
  for (int32_t mix = -1; mix <= 18; ++mix) {
    SurfaceClear(kTarget, 0);
    SurfaceCopy(source, 0, mix);
    EXPECT_EQ(Snapshot().At(2, 2), Expected(mix, kSource, kTarget)) << mix;
  }
  DestroySurface(source);
}

TEST_F(Copies, WholeSourcesAreCutToTheTarget) {
  HANDLE source = FilledSurface(10, 10, kRed);
  SurfaceCopy(source, 0, 0);
  Canvas c = Snapshot();
  EXPECT_EQ(c.Count(kRed), 100u);
  EXPECT_EQ(c.At(9, 9), kRed);
  EXPECT_EQ(c.At(10, 9), kWhite);

  SurfaceClear(kWhite, 0);
  SurfaceCopyAt(source, 0, 95, 20, 0);
  c = Snapshot();
  EXPECT_EQ(c.Count(kRed), 50u);  // 5 columns left at the right edge
  EXPECT_EQ(c.At(95, 20), kRed);
  EXPECT_EQ(c.At(99, 29), kRed);
  EXPECT_EQ(c.At(94, 20), kWhite);

  // A larger source onto a smaller target.
  Make(6, 4);
  SurfaceCopy(source, 0, 0);
  EXPECT_EQ(Snapshot().Count(kRed), 24u);
  DestroySurface(source);
}

TEST_F(Copies, RectanglesInTheSourcesCoordinates) {
  HANDLE source = FilledSurface(20, 20, kBlue);
  SurfaceAttach(source, 0, 0);
  SurfaceSetPixel(3, 3, 0, kRed);
  SurfaceSetPixel(5, 4, 0, kGreen);
  SurfaceScale(0, 0, 10, 10);  // the source counts in units of 2 pixels
  SurfaceAttach(surface_, 0, 0);

  SurfaceCopyRect(source, 0, 1, 1, 3, 2, 40, 50, 0);  // source pixels (2, 2)-(6, 4)
  Canvas c = Snapshot();
  EXPECT_EQ(c.Count(kWhite), 100u * 100 - 5 * 3);
  EXPECT_EQ(c.At(41, 51), kRed);
  EXPECT_EQ(c.At(43, 52), kGreen);
  EXPECT_EQ(c.At(44, 52), kBlue);
  EXPECT_EQ(c.At(45, 52), kWhite);

  SurfaceClear(kWhite, 0);
  SurfaceCopyRect(source, 0, 0, 0, 9, 9, 90, 90, 0);  // cut to the target's edge
  EXPECT_EQ(Snapshot().Count(kWhite), 100u * 100 - 10 * 10);
  DestroySurface(source);
}

TEST_F(Copies, StretchToTwiceTheSize) {
  HANDLE source = FilledSurface(2, 2, kWhite);
  SurfaceAttach(source, 0, 0);
  SurfaceSetPixel(0, 0, 0, kRed);
  SurfaceSetPixel(1, 0, 0, kGreen);
  SurfaceSetPixel(0, 1, 0, kBlue);
  SurfaceSetPixel(1, 1, 0, kBlack);
  SurfaceAttach(surface_, 0, 0);

  SurfaceStretchCopy(source, 0, 0, 0, 1, 1, 10, 10, 13, 13, 0, COLORONCOLOR);
  SurfaceStretchCopyWhole(source, 0, 20, 20, 23, 23, 0, COLORONCOLOR);
  EXPECT_EQ(ErrorNumber(), 0);
  Canvas c = Snapshot();
  for (int32_t base : {10, 20}) {
    for (int32_t dy = 0; dy < 4; ++dy)
      for (int32_t dx = 0; dx < 4; ++dx) {
        int32_t expected = dy < 2 ? (dx < 2 ? kRed : kGreen) : (dx < 2 ? kBlue : kBlack);
        EXPECT_EQ(c.At(base + dx, base + dy), expected) << base << ": " << dx << "," << dy;
      }
    EXPECT_EQ(c.At(base + 4, base), kWhite);
  }
  EXPECT_EQ(c.Count(kWhite), 100u * 100 - 32);

  // A stretch mode becomes the target's; 0 keeps it.
  SurfaceSetStretchMode(BLACKONWHITE);
  SurfaceStretchCopy(source, 0, 0, 0, 1, 1, 40, 40, 43, 43, 0, COLORONCOLOR);
  EXPECT_EQ(SurfaceGetStretchMode(), COLORONCOLOR);
  SurfaceStretchCopy(source, 0, 0, 0, 1, 1, 40, 40, 43, 43, 0, 0);
  EXPECT_EQ(SurfaceGetStretchMode(), COLORONCOLOR);

  // A source that is not a surface: the whole form says so, the others only do nothing.
  HBITMAP stranger = CreateBitmap(2, 2, 1, 32, nullptr);
  SurfaceStretchCopyWhole(stranger, 0, 60, 60, 70, 70, 0, 0);
  EXPECT_EQ(ErrorNumber(), kErrorInvalidArgument);
  ErrorClear();
  SurfaceStretchCopy(stranger, 0, 0, 0, 1, 1, 60, 60, 70, 70, 0, 0);
  SurfaceCopy(stranger, 0, 0);
  SurfaceCopyAt(stranger, 0, 60, 60, 0);
  SurfaceCopyRect(stranger, 0, 0, 0, 1, 1, 60, 60, 0);
  EXPECT_EQ(ErrorNumber(), 0);
  EXPECT_EQ(Snapshot().At(65, 65), kWhite);
  DeleteObject(stranger);
  DestroySurface(source);
}

// A side given backwards covers |x2 - x1| + 1 pixels: the stretches draw the exact mirror of
// the forward copy, the block copy the same block unmirrored.
// A source side of a billion pixels or more (the platform's stretch then corrupts its memory
// and ends the process): the part of the source that exists, onto the part of the target it
// stretches to, here one row at the end the source's first rows go to.
TEST_F(Copies, AStretchFromAFarLargerSourceDrawsWhatTheSourceHas) {
  HANDLE source = FilledSurface(4, 3, kRed);
  for (auto [y1, y2, row] : {std::tuple{0.0f, 1.1e9f, 10}, {1.1e9f, 0.0f, 90}, {-2e9f, 2e9f, -1}}) {
    SurfaceClear(kWhite, 0);
    SurfaceStretchCopy(source, 0, 0, y1, 3, y2, 10, 10, 20, 90, 0, COLORONCOLOR);
    Canvas c = Snapshot();
    EXPECT_EQ(c.Count(kRed), row < 0 ? 0u : 11u) << y1 << " to " << y2;
    if (row >= 0) {
      EXPECT_EQ(c.At(15, row), kRed) << y1 << " to " << y2;
    }
  }
  DestroySurface(source);
  // As the fuzzer found it: a surface stretched onto itself from 1.9 billion rows.
  HANDLE self = FilledSurface(671, 3, kRed);
  SurfaceAttach(self, 0, 0);
  SurfaceStretchCopy(self, 0, 784, 0.5f, 0, 1879776378.0f, 563, 0, 354, 862, 0, 0);
  EXPECT_EQ(Snapshot().Count(kRed), 671u * 3);
  SurfaceAttach(surface_, 0, 0);
  DestroySurface(self);
}

TEST_F(Copies, SidesGivenBackwardsCoverTheirWholeSpan) {
  constexpr int32_t kColours[4] = {kRed, kGreen, kBlue, kBlack};
  HANDLE strip = FilledSurface(4, 4, kWhite);
  SurfaceAttach(strip, 0, 0);
  for (int32_t x = 0; x < 4; ++x)
    for (int32_t y = 0; y < 4; ++y) SurfaceSetPixel(float(x), float(y), 0, kColours[(x + 2 * y) % 4]);
  std::wstring name = ScratchDirectory() + L"\\strip.bmp";
  PushWide(name);
  SurfaceSaveBitmap();
  SurfaceAttach(surface_, 0, 0);
  // Each copies the strip onto the 8 x 8 square at 10, 10 with its sides given as told.
  struct Case {
    const char* name;
    std::function<void(float x3, float y3, float x4, float y4)> copy;
  };
  const Case cases[] = {
      {"stretch", [&](float x3, float y3, float x4, float y4) { SurfaceStretchCopy(strip, 0, 0, 0, 3, 3, x3, y3, x4, y4, 0, COLORONCOLOR); }},
      {"stretch of a reversed source", [&](float x3, float y3, float x4, float y4) { SurfaceStretchCopy(strip, 0, 3, 3, 0, 0, x4, y4, x3, y3, 0, COLORONCOLOR); }},
      {"whole", [&](float x3, float y3, float x4, float y4) { SurfaceStretchCopyWhole(strip, 0, x3, y3, x4, y4, 0, COLORONCOLOR); }},
      {"image", [&](float x3, float y3, float x4, float y4) { PushWide(name); SurfaceStretchImage(x3, y3, x4, y4, 0, COLORONCOLOR); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SurfaceClear(kWhite, 0);
    c.copy(10, 10, 17, 17);
    Canvas forward = Snapshot();
    SurfaceClear(kWhite, 0);
    c.copy(17, 10, 10, 17);  // right to left
    Canvas across = Snapshot();
    SurfaceClear(kWhite, 0);
    c.copy(10, 17, 17, 10);  // bottom to top
    Canvas down = Snapshot();
    EXPECT_EQ(forward.Count(kWhite), 100u * 100 - 64);
    for (int32_t y = 0; y < 100; ++y)
      for (int32_t x = 0; x < 100; ++x) {
        bool inside = x >= 10 && x < 18 && y >= 10 && y < 18;
        ASSERT_EQ(across.At(x, y), inside ? forward.At(27 - x, y) : kWhite) << x << "," << y;
        ASSERT_EQ(down.At(x, y), inside ? forward.At(x, 27 - y) : kWhite) << x << "," << y;
      }
  }
  // The block copy: the same 3 x 2 block whichever corner comes first.
  for (auto [x1, y1, x2, y2] : {std::tuple{1, 1, 3, 2}, {3, 2, 1, 1}, {3, 1, 1, 2}, {1, 2, 3, 1}}) {
    SurfaceClear(kWhite, 0);
    SurfaceCopyRect(strip, 0, float(x1), float(y1), float(x2), float(y2), 40, 40, 0);
    Canvas c = Snapshot();
    EXPECT_EQ(c.Count(kWhite), 100u * 100 - 6) << x1 << "," << y1;
    for (int32_t y = 0; y < 2; ++y)
      for (int32_t x = 0; x < 3; ++x) EXPECT_EQ(c.At(40 + x, 40 + y), kColours[(x + 1 + 2 * (y + 1)) % 4]) << x1 << "," << y1;
  }
  // Sides from one end of 32 bits to the other are no rectangle: nothing, no error.
  SurfaceClear(kWhite, 0);
  SurfaceCopyRect(strip, 0, 3e9f, 0, -3e9f, 1, 0, 0, 0);
  SurfaceCopyRect(strip, 0, 2147483520.0f, 0, -2147483520.0f, 1, 0, 0, 0);
  SurfaceStretchCopy(strip, 0, 0, 0, 3, 3, 2147483520.0f, 0, -2147483520.0f, 10, 0, 0);
  SurfaceStretchCopyWhole(strip, 0, -2147483520.0f, 0, 2147483520.0f, 10, 0, 0);
  EXPECT_EQ(ErrorNumber(), 0);
  EXPECT_EQ(Snapshot().Count(kWhite), 100u * 100);
  DestroySurface(strip);
}

TEST_F(Copies, ImageFilesStretchLikeSurfaces) {
  Make(2, 1);
  SurfaceSetPixel(0, 0, 0, kRed);
  SurfaceSetPixel(1, 0, 0, kBlue);
  std::wstring name = ScratchDirectory() + L"\\two.bmp";
  PushWide(name);
  SurfaceSaveBitmap();
  Make(20, 20);
  PushWide(name);
  SurfaceStretchImage(2, 2, 5, 3, 0, COLORONCOLOR);
  EXPECT_EQ(ErrorNumber(), 0);
  Canvas c = Snapshot();
  EXPECT_EQ(c.At(2, 2), kRed);
  EXPECT_EQ(c.At(3, 3), kRed);
  EXPECT_EQ(c.At(4, 2), kBlue);
  EXPECT_EQ(c.At(5, 3), kBlue);
  EXPECT_EQ(c.Count(kWhite), 20u * 20 - 8);

  // Right to left: mirrored, blue before red.
  SurfaceClear(kWhite, 0);
  PushWide(name);
  SurfaceStretchImage(5, 2, 2, 3, 0, COLORONCOLOR);
  EXPECT_EQ(ErrorNumber(), 0);
  c = Snapshot();
  EXPECT_LT(c.Count(kWhite), 20u * 20);
  int32_t blue = -1, red = -1;
  for (int32_t x = 0; x < 20; ++x) {
    if (c.At(x, 2) == kBlue && blue < 0) blue = x;
    if (c.At(x, 2) == kRed) red = x;
  }
  EXPECT_GE(blue, 0);
  EXPECT_GT(red, blue);
  // No name, or no pixels to draw on: nothing, and no error.
  PushWide(L"");
  SurfaceStretchImage(2, 2, 5, 3, 0, 0);
  PushWide(name);
  SurfaceStretchImage(5, 2, 4, 3, 0, 0);
  EXPECT_EQ(ErrorNumber(), 0);

  PushWide(name + L".missing");
  SurfaceStretchImage(2, 2, 5, 3, 0, 0);
  EXPECT_EQ(ErrorNumber(), kErrorInvalidArgument);
  EXPECT_EQ(ProcedureFrame::Current().operands().depth(), 0);
  DeleteFileW(name.c_str());
}

// Reading and decoding an image file does not hold up the other surfaces: while a large file is
// read, another thread finds SurfaceLock free most of the time (only the drawing holds it).
TEST_F(Copies, AnImageFileIsReadWithoutTheSurfaceLock) {
  Make(1600, 1200);
  std::wstring name = ScratchDirectory() + L"\\large.bmp";
  PushWide(name);
  SurfaceSaveBitmap();
  Make(8, 8);
  std::atomic<bool> reading{true};
  std::atomic<int> tries{0}, free_seen{0};
  std::thread watcher([&] {
    while (reading) {
      ++tries;
      if (SurfaceLock().try_lock()) {
        ++free_seen;
        SurfaceLock().unlock();
      }
      Sleep(0);
    }
  });
  for (int round = 0; round < 5; ++round) {
    PushWide(name);
    SurfaceStretchImage(0, 0, 7, 7, 0, COLORONCOLOR);
  }
  reading = false;
  watcher.join();
  EXPECT_EQ(ErrorNumber(), 0);
  EXPECT_GT(tries.load(), 10);
  // Holding the lock over the reading leaves none free (0 of 178398 seen); the drawing alone,
  // on a busy machine, still leaves well over a fifth.
  EXPECT_GT(free_seen.load() * 5, tries.load()) << free_seen.load() << " of " << tries.load();
  DeleteFileW(name.c_str());
}

TEST_F(Copies, ListImages) {
  HIMAGELIST list = ImageList_Create(4, 4, ILC_COLOR32, 1, 1);
  ASSERT_NE(list, nullptr);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP image = CreateCompatibleBitmap(screen, 4, 4);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, image);
  RECT all{0, 0, 4, 4};
  HBRUSH brush = CreateSolidBrush(kRed);
  FillRect(dc, &all, brush);
  DeleteObject(brush);
  SelectObject(dc, old);
  DeleteDC(dc);
  ASSERT_EQ(ImageList_Add(list, image, nullptr), 0);
  DeleteObject(image);

  SurfaceDrawListImage(list, 1, 0, ILD_NORMAL, 10, 20);
  EXPECT_EQ(ErrorNumber(), 0);
  Canvas c = Snapshot();
  EXPECT_EQ(c.Count(kRed), 16u);
  EXPECT_EQ(c.At(10, 20), kRed);
  EXPECT_EQ(c.At(13, 23), kRed);
  SurfaceDrawListImage(list, 2, 0, ILD_NORMAL, 10, 20);  // no such image
  EXPECT_EQ(ErrorNumber(), kErrorInvalidArgument);
  ImageList_Destroy(list);
}

}  // namespace
}  // namespace qv
