#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "draw_target.h"
#include "drawing_test_support.h"
#include "error.h"
#include "font_table.h"
#include "frame.h"
#include "memory_surface.h"
#include "string_ops.h"
#include "surface_attach.h"
#include "surface_clear.h"
#include "surface_colours.h"
#include "surface_drawing.h"
#include "surface_keys.h"
#include "surface_window_ops.h"
#include "surface_text.h"
#include "window_record.h"

namespace qv {
namespace {

using namespace testing;

constexpr int32_t kFixedFont = 3;  // a start-up font with a point size of its own

class SurfaceText : public MemoryCanvas {
 protected:
  WindowRecord& Record() { return *RecordFind(DrawTargetGet()); }
  // Text options by their operations, in the bits of the second flag word (0x400, 0x2000, 0x4000).
  void Options(uint32_t bits) {
    SurfaceSetScrollOnNewLine(bits & 0x400);
    SurfaceSetWordWrap(bits & 0x2000);
    SurfaceSetCharWrap(bits & 0x4000);
  }
  int32_t Width(const std::wstring& text) {
    SIZE size{};
    GetTextExtentPoint32W(SurfaceGetDC(), text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
  }
  void Print(const std::wstring& text) {
    PushWide(text);
    SurfacePrint();
  }
  std::pair<std::wstring, std::wstring> Fit(const std::wstring& text, float width, bool words) {
    PushWide(text);
    SurfaceFitText(width, words);
    DynString rest = PopText(), part = PopText();
    return {std::wstring(reinterpret_cast<const wchar_t*>(part.wide_view().data()), part.wide_view().size()),
            std::wstring(reinterpret_cast<const wchar_t*>(rest.wide_view().data()), rest.wide_view().size())};
  }
  // The canvas with each part printed unwrapped on a line of its own, on a fresh surface.
  Canvas Lines(const std::vector<std::wstring>& parts, int32_t width, int32_t height) {
    Make(width, height);
    SurfaceSetFont(kFixedFont);
    for (const auto& part : parts) {
      Print(part);
      SurfaceNewLine();
    }
    return Snapshot();
  }
};

// Wrapping is checked against the same text printed line by line at the cuts found by
// measuring every prefix.
TEST_F(SurfaceText, WrapCutsAtTheLastSpaceThatFitsOrAtTheLongestPartThatFits) {
  const std::wstring text = L"alpha beta gamma delta epsilon zeta eta theta";
  Make(160, 120);
  SurfaceSetFont(kFixedFont);
  const int32_t room = 160;
  auto cuts = [&](bool words) {
    std::vector<std::wstring> parts;
    std::wstring rest = text;
    while (Width(rest) > room) {
      size_t cut = 0;
      for (size_t i = 1; i < rest.size(); ++i) {
        bool fits = Width(rest.substr(0, i)) <= room;
        if (fits && (!words || rest[i] == L' ')) cut = i;
      }
      EXPECT_GT(cut, 0u);
      parts.push_back(rest.substr(0, cut));
      rest = rest.substr(cut);
    }
    parts.push_back(rest);
    return parts;
  };
  std::vector<std::wstring> words = cuts(true), characters = cuts(false);
  ASSERT_GE(words.size(), 3u);
  EXPECT_EQ(words[1][0], L' ');  // the space starts the next line
  ASSERT_NE(words, characters);

  Options(0x2000);
  Print(text);
  Canvas wrapped = Snapshot();
  EXPECT_EQ(SurfaceGetCell().row, static_cast<int32_t>(words.size()));
  EXPECT_EQ(wrapped.colours, Lines(words, 160, 120).colours);

  Make(160, 120);
  SurfaceSetFont(kFixedFont);
  Options(0x4000);
  Print(text);
  wrapped = Snapshot();
  EXPECT_EQ(wrapped.colours, Lines(characters, 160, 120).colours);

  // Printing on from the middle of a line: the first part fills what is left of it.
  Make(160, 120);
  SurfaceSetFont(kFixedFont);
  Options(0x2000);
  Print(L"ab");
  int32_t after = Width(L"ab");
  Print(L" cd " + std::wstring(40, L'x'));
  EXPECT_GT(SurfaceGetCell().row, 1);
  EXPECT_NE(Snapshot().At(after + 2 * Width(L"c"), 5), kWhite);  // " cd" stayed on the first line
}

TEST_F(SurfaceText, OptionOperationsSetReadAndExcludeEachOther) {
  HANDLE first = DrawTargetGet();
  struct Option {
    void (*set)(int32_t);
    int32_t (*get)();
    uint32_t bit;
  };
  const Option options[] = {{SurfaceSetScrollOnNewLine, SurfaceGetScrollOnNewLine, 0x400},
                            {SurfaceSetWordWrap, SurfaceGetWordWrap, 0x2000},
                            {SurfaceSetCharWrap, SurfaceGetCharWrap, 0x4000},
                            {SurfaceSetInclusiveEnds, SurfaceGetInclusiveEnds, 0x8000}};
  for (const Option& o : options) {
    EXPECT_EQ(o.get(), 0) << o.bit;
    o.set(7);  // any non-zero value is on
    EXPECT_EQ(o.get(), -1) << o.bit;
    EXPECT_EQ(Record().close_block & o.bit, o.bit);
  }
  // Only the last wrap turned on is left on; the others stay as they were.
  EXPECT_EQ(SurfaceGetWordWrap(), 0);
  SurfaceSetWordWrap(-1);
  EXPECT_EQ(SurfaceGetCharWrap(), 0);
  EXPECT_EQ(SurfaceGetWordWrap(), -1);
  EXPECT_EQ(SurfaceGetScrollOnNewLine(), -1);
  EXPECT_EQ(SurfaceGetInclusiveEnds(), -1);
  SurfaceSetCharWrap(0);  // turning off the one that is off leaves the other
  EXPECT_EQ(SurfaceGetWordWrap(), -1);

  // Each surface has its own options; without a target nothing happens and nothing is raised.
  HANDLE second = MemorySurfaceCreate(40, 40);
  ASSERT_NE(second, nullptr);
  SurfaceAttach(second, 0, 0);
  for (const Option& o : options) EXPECT_EQ(o.get(), 0) << o.bit;
  DestroySurface(second);
  SurfaceAttach(first, 0, 0);
  EXPECT_EQ(SurfaceGetWordWrap(), -1);
  SurfaceDetach();
  RaiseError(9);
  for (const Option& o : options) {
    o.set(1);
    EXPECT_EQ(o.get(), 0) << o.bit;
  }
  EXPECT_EQ(ErrorNumber(), 9);
  ErrorClear();
  SurfaceAttach(first, 0, 0);
  EXPECT_EQ(Record().close_block & 0xE400u, 0xA400u);
}

// No text and no drawing area makes printing loop: each line start takes a character.
TEST_F(SurfaceText, PrintingAlwaysMovesOnAndEnds) {
  Make(60, 60);
  SurfaceSetFont(kFixedFont);
  for (uint32_t mode : {0x2000u, 0x4000u}) {
    SurfaceSetClip(30, 0, 30, 0);  // an area of no width
    ASSERT_EQ(ErrorNumber(), 0);
    Options(mode | 0x1000 | 0x400);
    Print(L"abc def");
    EXPECT_EQ(Record().current_x, 30 + Width(L"f")) << mode;
    Print(std::wstring(3000, L'w'));  // scrolls the area for every character
    EXPECT_EQ(Record().current_y, 60 - (Record().line_height + Record().line_gap)) << mode;
    SurfaceSetClip(0, 0, 0, 0);
  }
  // Unwrapped text is clipped at the canvas edge and the position moves past it.
  Options(0);
  SurfaceSetCell(1, 1);
  Print(std::wstring(200, L'm'));
  EXPECT_EQ(Record().current_x, Width(std::wstring(200, L'm')));
  EXPECT_EQ(SurfaceGetCell().row, 1);
}

TEST_F(SurfaceText, NewLineAtTheBottomScrollsTheAreaUpAndFillsTheBand) {
  Make(80, 70);
  SurfaceSetFont(kFixedFont);
  const int32_t pitch = Record().line_height + Record().line_gap;
  ASSERT_GT(pitch, 0);
  Options(0x400);
  SurfaceSetBackColor(0x00C0C0C0);  // the background the band must show
  SurfaceClear(-1, 0);
  SurfaceSetCell(1, 1);
  int lines = 0;
  while (Record().current_y + 2 * pitch <= 70) {
    Print(L"W" + std::to_wstring(lines++));
    SurfaceNewLine();
  }
  Print(L"#last");
  int32_t last_y = Record().current_y;
  Canvas before = Snapshot();
  SurfaceNewLine();
  Canvas after = Snapshot();
  int32_t excess = last_y + pitch - (70 - pitch);
  ASSERT_GT(excess, 0);
  EXPECT_EQ(Record().current_y, 70 - pitch);
  EXPECT_EQ(Record().current_x, 0);
  for (int32_t y = 0; y < 70 - pitch; ++y)
    for (int32_t x = 0; x < 80; ++x) ASSERT_EQ(after.At(x, y), before.At(x, y + excess)) << x << "," << y;
  for (int32_t y = 70 - pitch; y < 70; ++y)
    for (int32_t x = 0; x < 80; ++x) ASSERT_EQ(after.At(x, y), 0x00C0C0C0) << x << "," << y;

  // Without the option the position just leaves the area.
  Options(0);
  SurfaceNewLine();
  EXPECT_EQ(Record().current_y, 70);
  EXPECT_EQ(Snapshot().colours, after.colours);

  // Far below: the area moves up by more than a line; only the last line's band is cleared,
  // the rows above it keep what the copy left there.
  Options(0x400);
  SurfaceSetPixel(3, 70 - pitch - 1, 0, kRed);  // in the rows the copy leaves as they were
  Record().current_y = 70;                       // the new line lies two lines below the last one
  Canvas far_before = Snapshot();
  SurfaceNewLine();
  Canvas far_after = Snapshot();
  for (int32_t y = 0; y < 70; ++y)
    for (int32_t x = 0; x < 80; ++x) {
      uint32_t expected = y >= 70 - pitch ? 0x00C0C0C0u : far_before.At(x, y < 70 - 2 * pitch ? y + 2 * pitch : y);
      ASSERT_EQ(far_after.At(x, y), expected) << x << "," << y;
    }
}

TEST_F(SurfaceText, TabsCellsAndSizes) {
  Make(400, 200);
  SurfaceSetFont(kFixedFont);
  const int32_t cw = Record().char_width, pitch = Record().line_height + Record().line_gap;
  ASSERT_GT(cw, 0);
  SurfaceTab();
  EXPECT_EQ(SurfaceGetCell().column, 15);
  SurfaceTab();
  EXPECT_EQ(Record().current_x, 28 * cw);
  SurfaceSetCell(0, 3);  // a 0 keeps the column
  EXPECT_EQ(SurfaceGetCell().column, 29);
  EXPECT_EQ(Record().current_y, 2 * pitch);
  SurfaceMoveTo(1, 0, 0);  // one pixel into the first column rounds up to the second
  SurfaceTab();
  EXPECT_EQ(Record().current_x, 14 * cw);

  // Cells count from the clip area.
  SurfaceSetClip(20, 10, 0, 0);
  SurfaceSetCell(3, 2);
  EXPECT_EQ(Record().current_x, 20 + 2 * cw);
  EXPECT_EQ(Record().current_y, 10 + pitch);
  EXPECT_EQ(SurfaceGetCell().column, 3);
  EXPECT_EQ(SurfaceGetCell().row, 2);
  SurfaceTab();
  EXPECT_EQ(Record().current_x, 20 + 14 * cw);
  SurfaceSetClip(0, 0, 0, 0);

  // Sizes in user units: two pixels to the unit.
  SurfaceScale(0, 0, 200, 100);
  UserSize ch = SurfaceCharSize(), line = SurfaceLineSize();
  EXPECT_FLOAT_EQ(ch.width, cw / 2.0f);
  EXPECT_FLOAT_EQ(ch.height, Record().line_height / 2.0f);
  EXPECT_FLOAT_EQ(line.height, pitch / 2.0f);
  PushWide(L"Hello");
  UserSize hello = SurfaceTextSize();
  EXPECT_FLOAT_EQ(hello.width, Width(L"Hello") / 2.0f);
}

TEST_F(SurfaceText, FitTextWithAndWithoutWordBreak) {
  SurfaceSetFont(kFixedFont);
  const std::wstring text = L"hello world again";
  float room = static_cast<float>(Width(L"hello wor") + 1);
  auto plain = Fit(text, room, false);
  EXPECT_EQ(plain.first, L"hello wor");
  EXPECT_EQ(plain.second, L"ld again");
  auto words = Fit(text, room, true);
  EXPECT_EQ(words.first, L"hello");
  EXPECT_EQ(words.second, L" world again");
  EXPECT_EQ(Fit(text, 1000, true).first, text);
  auto nothing = Fit(L"unbroken", static_cast<float>(Width(L"unb")), true);  // no space: cut by characters
  EXPECT_EQ(nothing.first, L"unb");
  EXPECT_EQ(nothing.second, L"roken");
  // A leading space is the last space before the cut: nothing fits, the space starts the rest.
  auto leading = Fit(L" unbroken", static_cast<float>(Width(L" unb")), true);
  EXPECT_EQ(leading.first, L"");
  EXPECT_EQ(leading.second, L" unbroken");
  // User units: the width is halved pixels.
  SurfaceScale(0, 0, 50, 50);
  EXPECT_EQ(Fit(text, room / 2, false).first, L"hello wor");
  EXPECT_EQ(ProcedureFrame::Current().operands().depth(), 0);
}

TEST_F(SurfaceText, ClipMovesTheOriginAndKeepsTheDrawingInside) {
  SurfaceScale(0, 0, 50, 50);  // margins in user units: 2 pixels each
  SurfaceSetClip(5, 10, 15, 20);
  ASSERT_EQ(ErrorNumber(), 0);
  WindowRecord& r = Record();
  EXPECT_EQ(r.clip_x, 10);
  EXPECT_EQ(r.clip_y, 20);
  EXPECT_EQ(r.clip_width, 100 - 10 - 30);
  EXPECT_EQ(r.clip_height, 100 - 20 - 40);
  EXPECT_EQ(r.current_x, 10);
  EXPECT_EQ(r.scale_x, 0.0f);  // pixels of the area now
  SurfaceSetPixel(0, 0, 0, kRed);
  EXPECT_EQ(Snapshot().At(10, 20), kRed);
  SurfaceBox(-50, -50, 500, 500, 0, kBlue, kBlue, 0);
  Print(std::wstring(100, L'X'));
  Canvas canvas = Snapshot();
  for (int32_t y = 0; y < 100; ++y)
    for (int32_t x = 0; x < 100; ++x) {
      bool inside = x >= 10 && x < 70 && y >= 20 && y < 60;
      ASSERT_EQ(canvas.At(x, y) != kWhite, inside) << x << "," << y;
    }

  // Margins that leave no canvas, or negative ones, raise 5 and change nothing.
  SurfaceSetClip(60, 0, 50, 0);
  EXPECT_EQ(ErrorNumber(), kErrorInvalidArgument);
  ErrorClear();
  SurfaceSetClip(-1, 0, 0, 0);
  EXPECT_EQ(ErrorNumber(), kErrorInvalidArgument);
  ErrorClear();
  EXPECT_EQ(r.clip_x, 10);
  EXPECT_EQ(r.clip_width, 60);

  // Margins of 0 end the clip area and give back the coordinates in use before it.
  SurfaceSetClip(0, 0, 0, 0);
  EXPECT_EQ(r.clip_width, 100);
  EXPECT_EQ(r.close_block & 0x1000, 0u);
  EXPECT_FLOAT_EQ(r.scale_x, 2.0f);
  SurfaceSetPixel(10, 10, 0, kGreen);
  EXPECT_EQ(Snapshot().At(20, 20), kGreen);

  SurfaceDetach();
  SurfaceSetClip(1, 1, 1, 1);
  EXPECT_EQ(ErrorNumber(), kErrorInvalidArgument);
  ErrorClear();
}

TEST_F(SurfaceText, FontsMetricsAndRotation) {
  WindowRecord& r = Record();
  int32_t small_height = r.line_height;
  SurfaceSetFont(kFixedFont);
  EXPECT_EQ(r.font_number, kFixedFont);
  EXPECT_GT(r.line_height, small_height);  // 11 points against the canvas's 8
  SurfaceSetFont(999);  // not in the table: nothing, no error
  EXPECT_EQ(r.font_number, kFixedFont);
  EXPECT_EQ(ErrorNumber(), 0);

  FontRecord rotated = *FontTableFind(kFixedFont);
  rotated.face.lfEscapement = rotated.face.lfOrientation = 900;
  rotated.canvas_font = rotated.window_font = nullptr;
  int32_t number = FontTableAdd(rotated);
  ASSERT_GT(number, 0);
  SurfaceSetFont(number);
  EXPECT_NE(r.flags & kRotatedFont, 0u);
  SurfaceMoveTo(40, 90, 0);
  Print(L"Up");
  Canvas canvas = Snapshot();
  bool above = false;  // text at 90 degrees runs upwards from the position
  for (int32_t y = 40; y < 89 && !above; ++y)
    for (int32_t x = 40; x < 40 + r.line_height && !above; ++x) above = canvas.At(x, y) != kWhite;
  EXPECT_TRUE(above);
  SurfaceSetFont(0);  // 0 is font 1, upright again
  EXPECT_EQ(r.font_number, 1);
  EXPECT_EQ(r.flags & kRotatedFont, 0u);
}

// Without a target the text, key and window operations do nothing, answer 0 or the empty
// text, consume their operands and leave the error number alone; a memory surface's line input
// ends at once, since no key can reach it.
TEST_F(SurfaceText, WithoutATargetOrKeyboardNothingWaits) {
  SurfaceSetFont(kFixedFont);
  SurfaceSetCell(1, 1);
  PushWide(L"? ");
  SurfaceLineInput();
  EXPECT_TRUE(PopText().empty());
  EXPECT_EQ(Record().current_x, Width(L"? "));  // the prompt was printed

  SurfaceDetach();
  RaiseError(kErrorOutOfMemory);
  Print(L"text");
  auto fit = Fit(L"all of it", 100, false);  // nothing fits, nothing is lost
  EXPECT_EQ(fit.second, L"all of it");
  SurfaceKeyRead();
  EXPECT_TRUE(PopText().empty());
  PushWide(L"? ");
  SurfaceLineInput();
  EXPECT_TRUE(PopText().empty());
  PushWide(L"caption");
  SurfaceWindowSetCaption();
  SurfaceScrollView(10, 10);
  EXPECT_EQ(SurfaceClickRead(nullptr).state, 0);
  EXPECT_EQ(ErrorNumber(), kErrorOutOfMemory);
  EXPECT_EQ(ProcedureFrame::Current().operands().depth(), 0);
  ErrorClear();
}

}  // namespace
}  // namespace qv
