// The drawing-script runner as a program: scripts in, pictures and messages out.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

struct ScriptRun {
  DWORD exit_code = 0xDEAD;
  std::string errors;  // what the runner wrote to its standard error
  std::string output;  // and to its standard output
};

std::wstring Here() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p = path;
  return p.substr(0, p.find_last_of(L"\\/") + 1);
}

// A directory of its own for each script of this run (process numbers come round again, so
// the time of the first call is part of the name).
std::wstring Scratch(int n) {
  static const std::wstring root = [] {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    std::wstring r = std::wstring(base) + L"qv_draw_script_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                     std::to_wstring(GetTickCount64());
    CreateDirectoryW(r.c_str(), nullptr);
    return r;
  }();
  std::wstring directory = root + L"\\" + std::to_wstring(n);
  CreateDirectoryW(directory.c_str(), nullptr);
  return directory + L"\\";
}

std::string Read(const std::wstring& name) {
  std::ifstream in(name.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A runner started on a script in its own directory, as the current directory. Starting
// Wine processes is slow, so a test starts all its scripts before it waits for the first.
class Runner {
 public:
  // `argument` replaces the script's path on the command line when it is given.
  Runner(int n, const std::string& script, const std::wstring& argument = L"") : dir_(Scratch(n)) {
    std::wstring script_name = dir_ + L"script.txt";
    std::ofstream(script_name.c_str(), std::ios::binary) << script;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    errors_ = CreateFileW((dir_ + L"errors.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0,
                          nullptr);
    output_ = CreateFileW((dir_ + L"output.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0,
                          nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdError = errors_;
    si.hStdOutput = output_;
    std::wstring exe = Here() + L"draw_script.exe";
    std::wstring line = L"\"" + exe + L"\" \"" + (argument.empty() ? script_name : argument) + L"\"";
    if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, dir_.c_str(), &si, &process_))
      process_ = {};
  }
  ~Runner() {
    if (process_.hProcess) {
      TerminateProcess(process_.hProcess, 0xDEAD);
      CloseHandle(process_.hThread);
      CloseHandle(process_.hProcess);
    }
    if (errors_ != INVALID_HANDLE_VALUE) CloseHandle(errors_);
    if (output_ != INVALID_HANDLE_VALUE) CloseHandle(output_);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((dir_ + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do DeleteFileW((dir_ + found.cFileName).c_str());
      while (FindNextFileW(search, &found));
      FindClose(search);
    }
    RemoveDirectoryW(dir_.c_str());
  }
  Runner(const Runner&) = delete;
  Runner& operator=(const Runner&) = delete;

  ScriptRun Finish() {
    ScriptRun run;
    if (process_.hProcess && WaitForSingleObject(process_.hProcess, 120000) == WAIT_OBJECT_0)
      GetExitCodeProcess(process_.hProcess, &run.exit_code);
    CloseHandle(errors_);
    CloseHandle(output_);
    errors_ = output_ = INVALID_HANDLE_VALUE;
    run.errors = Read(dir_ + L"errors.txt");
    run.output = Read(dir_ + L"output.txt");
    return run;
  }
  const std::wstring& dir() const { return dir_; }
  bool Running() const { return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }

 private:
  std::wstring dir_;
  HANDLE errors_ = INVALID_HANDLE_VALUE, output_ = INVALID_HANDLE_VALUE;
  PROCESS_INFORMATION process_{};
};

// The colour 0x00BBGGRR of a pixel of a 24-bit BMP file.
int32_t PixelOf(const std::string& bmp, int32_t x, int32_t y) {
  int32_t width, height;
  std::memcpy(&width, bmp.data() + 18, 4);
  std::memcpy(&height, bmp.data() + 22, 4);
  size_t row = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
  const auto* p = reinterpret_cast<const unsigned char*>(bmp.data()) + 54 + row * (height - 1 - y) + 3 * x;
  return p[0] << 16 | p[1] << 8 | p[2];
}

TEST(DrawScript, DrawsAndSaves) {
  Runner runner(1,
                "# a memory target\n"
                "memory 40 30\n"
                "SurfaceClear &HFFFFFF 0\n"
                "SurfaceBox 5 5 20 15 0 &H0000FF 0xFF0000 0\n"
                "SurfacePolygon [25,2 38,2 38,12] 0 65280 0 0\n"
                "SurfaceSetPixel 39 29 0 -1\n"
                "surfacesetpixel 0.25e1 27.5 0 &H123456\n"
                "save \"out.bmp\"\n");
  ScriptRun run = runner.Finish();
  EXPECT_EQ(run.exit_code, 0u);
  EXPECT_EQ(run.errors, "");
  std::string bmp = Read(runner.dir() + L"out.bmp");
  ASSERT_EQ(bmp.size(), 54u + 120 * 30);
  EXPECT_EQ(PixelOf(bmp, 5, 5), 0x0000FF);
  EXPECT_EQ(PixelOf(bmp, 10, 10), 0xFF0000);
  EXPECT_EQ(PixelOf(bmp, 20, 10), 0xFFFFFF);
  EXPECT_EQ(PixelOf(bmp, 35, 5), 0x00FF00);
  EXPECT_EQ(PixelOf(bmp, 39, 29), static_cast<int32_t>(GetSysColor(COLOR_WINDOWTEXT)));
  EXPECT_EQ(PixelOf(bmp, 2, 28), 0x123456);  // 2.5 -> 2, 27.5 -> 28
}

TEST(DrawScript, MalformedLinesStopWithTheirNumberAndRunTimeErrorsDoNot) {
  Runner malformed(2, "memory 10 10\n\nSurfaceBox 1 2 3\nsave \"never.bmp\"\n");
  Runner unknown(3, "memory 10 10\nSurfaceFly 1\n");
  Runner fraction(4, "memory 10 10\nSurfaceSetPixel 1 1 0.5 0\n");
  Runner errors(5,
                "memory 8 8\n"
                "SurfaceClear 0 0\n"
                "SurfaceStretchImage \"missing.bmp\" 0 0 3 3 0 0\n"
                "SurfaceSetPixel 1 1 0 &HFFFFFF\n"
                "save \"after.bmp\"\n");
  Runner no_target(6, "memory 0 5\n");
  Runner no_save(7, "memory 4 4\nsave \"no such dir\\x.bmp\"\n");
  Runner twice(10, "memory 4 4\nsave \"same.bmp\"\nsave \"same.bmp\"\n");
  // A window closed just before a malformed line: its thread ends before the runner does.
  Runner closed(29, "window 40 30 \"w\"\nSurfaceWindowClose\nSurfaceFly\n");
  // A printed text read back: escapes are the units they name.
  Runner echo(30, "memory 40 20\nSurfaceFitText \"a\\u0000\\u005C\\u0022b\" 1000 0\n");

  ScriptRun run = malformed.Finish();
  EXPECT_EQ(run.exit_code, 2u);
  EXPECT_NE(run.errors.find("script.txt:3: SurfaceBox takes 8 arguments, not 3"), std::string::npos) << run.errors;
  EXPECT_EQ(GetFileAttributesW((malformed.dir() + L"never.bmp").c_str()), INVALID_FILE_ATTRIBUTES);
  run = unknown.Finish();
  EXPECT_EQ(run.exit_code, 2u);
  EXPECT_NE(run.errors.find("script.txt:2: unknown operation SurfaceFly"), std::string::npos) << run.errors;
  run = fraction.Finish();
  EXPECT_EQ(run.exit_code, 2u);
  EXPECT_NE(run.errors.find("script.txt:2: argument 3 of SurfaceSetPixel"), std::string::npos) << run.errors;

  run = errors.Finish();
  EXPECT_EQ(run.exit_code, 0u);
  EXPECT_NE(run.errors.find("script.txt:3: SurfaceStretchImage: error 5"), std::string::npos) << run.errors;
  std::string bmp = Read(errors.dir() + L"after.bmp");
  ASSERT_EQ(bmp.size(), 54u + 24 * 8);
  EXPECT_EQ(PixelOf(bmp, 1, 1), 0xFFFFFF);

  run = no_target.Finish();
  EXPECT_EQ(run.exit_code, 1u);
  EXPECT_NE(run.errors.find("script.txt:1: no memory surface"), std::string::npos) << run.errors;
  run = no_save.Finish();
  EXPECT_EQ(run.exit_code, 1u);
  EXPECT_NE(run.errors.find("script.txt:2: could not save"), std::string::npos) << run.errors;
  run = twice.Finish();  // a second save over the first is a save too
  EXPECT_EQ(run.exit_code, 0u);
  EXPECT_EQ(run.errors, "");
  run = closed.Finish();
  EXPECT_EQ(run.exit_code, 2u);
  EXPECT_NE(run.errors.find("script.txt:3: unknown operation SurfaceFly"), std::string::npos) << run.errors;
  run = echo.Finish();
  EXPECT_EQ(run.exit_code, 0u);
  EXPECT_EQ(run.output, "\"a\\u0000\\u005C\\u0022b\" \"\"\n") << run.errors;
}

TEST(DrawScript, TheReadmeExampleDrawsItsHouse) {
  Runner runner(9, Read(Here() + L"house.txt"));
  ScriptRun run = runner.Finish();
  EXPECT_EQ(run.exit_code, 0u);
  EXPECT_EQ(run.errors, "");
  std::string bmp = Read(runner.dir() + L"house.bmp");
  ASSERT_EQ(bmp.size(), 54u + 720 * 160);
  EXPECT_EQ(PixelOf(bmp, 5, 5), 0xF0D8A0);      // sky
  EXPECT_EQ(PixelOf(bmp, 190, 33), 0x00E0FF);   // the sun's middle
  EXPECT_EQ(PixelOf(bmp, 20, 150), 0x3C9A3C);   // grass
  EXPECT_EQ(PixelOf(bmp, 110, 110), 0x104070);  // the door
  EXPECT_EQ(PixelOf(bmp, 85, 50), 0x1818A0);    // the roof
  EXPECT_EQ(PixelOf(bmp, 50, 100), 0x3050C0);   // the wall
}

TEST(DrawScript, TheReadmeExampleWindowShowsItsCanvas) {
  // Closed by the script itself, so the runner ends once the canvas is saved.
  Runner runner(10, Read(Here() + L"text_window.txt") + "SurfaceWindowClose\n");
  ScriptRun run = runner.Finish();
  EXPECT_EQ(run.exit_code, 0u);
  EXPECT_EQ(run.errors, "");
  std::string bmp = Read(runner.dir() + L"text_window.bmp");
  ASSERT_EQ(bmp.size(), 54u + 1080 * 200);
  EXPECT_EQ(PixelOf(bmp, 3, 3), 0x804020);      // the title band
  EXPECT_EQ(PixelOf(bmp, 350, 190), 0xFFFFFF);  // the background
  // The shapes sit inside the clip area, whose origin is (16, 40).
  EXPECT_EQ(PixelOf(bmp, 66, 125), 0x80C0F0);   // the rounded box
  EXPECT_EQ(PixelOf(bmp, 186, 125), 0xA0E0A0);  // the ellipse
  EXPECT_EQ(PixelOf(bmp, 275, 125), 0x00E0FF);  // the pie
}

// What a window of another process shows, read from the screen (its own DC is not readable
// from here): the colour at a client point.
int32_t ScreenColourAt(HWND window, int32_t x, int32_t y) {
  POINT at{x, y};
  ClientToScreen(window, &at);
  HDC screen = GetDC(nullptr);
  HDC copy = CreateCompatibleDC(screen);
  HBITMAP pixel = CreateCompatibleBitmap(screen, 1, 1);
  HGDIOBJ old = SelectObject(copy, pixel);
  BitBlt(copy, 0, 0, 1, 1, screen, at.x, at.y, SRCCOPY);
  COLORREF colour = GetPixel(copy, 0, 0);
  SelectObject(copy, old);
  DeleteObject(pixel);
  DeleteDC(copy);
  ReleaseDC(nullptr, screen);
  return static_cast<int32_t>(colour);
}

TEST(DrawScript, AWindowShowsTheDrawingAndStaysUntilClosed) {
  const wchar_t* title = L"qv draw script window";
  Runner runner(8,
                "window 160 100 \"qv draw script window\"\n"
                "SurfaceClear &HFFFFFF 0\n"
                "SurfaceBox 10 10 60 50 0 255 255 0\n"
                "save \"window.bmp\"\n");
  // The save is the last line: once the file is there, the drawing is done.
  std::wstring saved = runner.dir() + L"window.bmp";
  HWND frame = nullptr;
  for (int waited = 0; waited < 60000 && (!frame || GetFileAttributesW(saved.c_str()) == INVALID_FILE_ATTRIBUTES);
       waited += 50) {
    Sleep(50);
    frame = FindWindowW(L"QUILLGRAPH", title);
  }
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(PixelOf(Read(saved), 30, 30), 0x0000FF);
  HWND canvas = GetWindow(frame, GW_CHILD);
  ASSERT_NE(canvas, nullptr);
  // The window's own loop refreshes it; wait for the box to reach the screen.
  int32_t inside = -1;
  for (int waited = 0; waited < 20000 && inside != 0x0000FF; waited += 50) {
    Sleep(50);
    inside = ScreenColourAt(canvas, 30, 30);
  }
  EXPECT_EQ(inside, 0x0000FF);
  EXPECT_EQ(ScreenColourAt(canvas, 100, 80), 0xFFFFFF);
  EXPECT_TRUE(runner.Running());  // past its last line, the runner waits for the window

  PostMessageW(frame, WM_CLOSE, 0, 0);
  ScriptRun run = runner.Finish();
  EXPECT_EQ(run.exit_code, 0u);
  EXPECT_EQ(run.errors, "");
}


std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  size_t from = 0;
  for (size_t end; (end = text.find('\n', from)) != std::string::npos; from = end + 1)
    lines.push_back(text.substr(from, end - from));
  return lines;
}

// Whole numbers separated by blanks, as a getter prints a size or a cell.
std::vector<double> NumbersOf(const std::string& line) {
  std::vector<double> numbers;
  size_t at = 0;
  while (at < line.size()) {
    size_t used = 0;
    numbers.push_back(std::stod(line.substr(at), &used));
    at += used;
    while (at < line.size() && line[at] == ' ') ++at;
  }
  return numbers;
}

TEST(DrawScript, GettersPrintOneLineEachInTheScriptsForms) {
  Runner runner(20,
                "memory 60 40 as pad\n"
                "SurfaceClear &HFFFFFF 0\n"
                "SurfaceSetPixel 3 4 0 &H0000FF\n"
                "SurfaceGetPixel 3 4 0\n"
                "SurfaceGetPixel 0 0 0\n"
                "SurfaceGetPixel 100 100 0\n"
                "SurfaceSetMix 7\n"
                "SurfaceGetMix\n"
                "SurfaceSetStretchMode 3\n"
                "SurfaceGetStretchMode\n"
                "SurfaceGetDpi\n"
                "SurfaceSetCell 3 2\n"
                "SurfaceGetCell\n"
                "SurfaceCharSize\n"
                "SurfaceLineSize\n"
                "SurfaceTextSize \"ab\"\n"
                "SurfaceFitText \"abc def\" 1000 0\n"
                "SurfaceFitText \"abc def\" 0 1\n"
                "SurfaceKeyPeek\n"
                "SurfaceKeyRead\n"
                "SurfaceClickRead\n"
                "SurfaceWindowGetCaption\n"
                "SurfaceWindowGetPlace\n"
                "SurfaceGetWordWrap\n"
                "SurfaceSetWordWrap 1\n"
                "SurfaceGetWordWrap\n"
                "SurfaceSetCharWrap 5\n"
                "SurfaceGetWordWrap\n"
                "SurfaceGetCharWrap\n"
                "SurfaceSetScrollOnNewLine 1\n"
                "SurfaceGetScrollOnNewLine\n"
                "SurfaceGetInclusiveEnds\n"
                "SurfaceSetInclusiveEnds 1\n"
                "SurfaceGetInclusiveEnds\n"
                "SurfaceScale 0 0 2 2\n"
                "SurfaceLineInput \"never typed\"\n"
                "SurfaceDetach\n"
                "SurfaceGetMix\n"
                "SurfaceGetWordWrap\n"
                "SurfaceTextSize \"ab\"\n");
  ScriptRun run = runner.Finish();
  EXPECT_EQ(run.exit_code, 0u);
  EXPECT_EQ(run.errors, "");
  std::vector<std::string> lines = LinesOf(run.output);
  ASSERT_EQ(lines.size(), 28u) << run.output;
  HDC screen = GetDC(nullptr);
  std::string dpi = std::to_string(GetDeviceCaps(screen, LOGPIXELSX)) + " " +
                    std::to_string(GetDeviceCaps(screen, LOGPIXELSY));
  ReleaseDC(nullptr, screen);
  const std::vector<std::string> fixed = {"&H0000FF", "&HFFFFFF", "-1", "7", "3", dpi, "3 2"};
  for (size_t i = 0; i < fixed.size(); ++i) EXPECT_EQ(lines[i], fixed[i]) << i;
  std::vector<double> chars = NumbersOf(lines[7]), pitch = NumbersOf(lines[8]), text = NumbersOf(lines[9]);
  ASSERT_EQ(chars.size(), 2u);
  ASSERT_EQ(pitch.size(), 2u);
  ASSERT_EQ(text.size(), 2u);
  EXPECT_GT(chars[0], 0);
  EXPECT_EQ(pitch[0], chars[0]);
  EXPECT_GE(pitch[1], chars[1]);
  EXPECT_GT(text[0], 0);
  EXPECT_EQ(text[1], chars[1]);
  const std::vector<std::string> rest = {"\"abc def\" \"\"", "\"\" \"abc def\"", "0", "\"\"", "0 0 0", "\"\"",
                                         "0 0 0 0", "0", "-1", "0", "-1", "-1", "0", "-1"};
  for (size_t i = 0; i < rest.size(); ++i) EXPECT_EQ(lines[10 + i], rest[i]) << i;
  EXPECT_EQ(lines[24], "\"\"");  // a memory surface ends line input at once
  EXPECT_EQ(lines[25], "0");     // no target: 0 for every reading
  EXPECT_EQ(lines[26], "0");
  EXPECT_EQ(lines[27], "0 0");
}


TEST(DrawScript, OptionsChangeWhatDrawingAndPrintingDo) {
  Runner runner(21,
                "memory 40 40\n"
                "SurfaceClear &HFFFFFF 0\n"
                "SurfaceMoveTo 2 2 0\n"
                "SurfaceLineTo 10 2 0 &H0000FF\n"
                "SurfaceSetInclusiveEnds 1\n"
                "SurfaceMoveTo 2 5 0\n"
                "SurfaceLineTo 10 5 0 &H0000FF\n"
                "SurfaceBox 2 10 10 20 0 &H0000FF -2 0\n"
                "save \"ends.bmp\"\n"
                // Printing: without a wrap the text runs off the line, with either it wraps.
                "memory 60 200\n"
                "SurfacePrint \"aaa bbb ccc ddd eee fff ggg\"\n"
                "SurfaceGetCell\n"
                "SurfaceSetCell 1 1\n"
                "SurfaceSetWordWrap 1\n"
                "SurfacePrint \"aaa bbb ccc ddd eee fff ggg\"\n"
                "SurfaceGetCell\n"
                "SurfaceSetCell 1 1\n"
                "SurfaceSetCharWrap 1\n"
                "SurfacePrint \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\"\n"
                "SurfaceGetCell\n"
                // New lines: with the option the area scrolls and the freed band shows the
                // background; without it the position leaves the canvas.
                "memory 40 30\n"
                "SurfaceSetBackColor &H00FF00\n"
                "SurfaceClear &H0000FF 0\n"
                "SurfaceNewLine\nSurfaceNewLine\nSurfaceNewLine\nSurfaceNewLine\nSurfaceNewLine\n"
                "SurfaceGetCell\n"
                "save \"unscrolled.bmp\"\n"
                "SurfaceSetScrollOnNewLine 1\n"
                "SurfaceSetCell 1 1\n"
                "SurfaceNewLine\nSurfaceNewLine\nSurfaceNewLine\nSurfaceNewLine\nSurfaceNewLine\n"
                "SurfaceGetCell\n"
                "save \"scrolled.bmp\"\n");
  ScriptRun run = runner.Finish();
  EXPECT_EQ(run.exit_code, 0u);
  EXPECT_EQ(run.errors, "");
  std::string ends = Read(runner.dir() + L"ends.bmp");
  ASSERT_EQ(ends.size(), 54u + 120 * 40);
  EXPECT_EQ(PixelOf(ends, 9, 2), 0x0000FF);
  EXPECT_EQ(PixelOf(ends, 10, 2), 0xFFFFFF);  // the end point is left out
  EXPECT_EQ(PixelOf(ends, 10, 5), 0x0000FF);  // and now covered
  EXPECT_EQ(PixelOf(ends, 10, 15), 0x0000FF);  // the box's right edge
  EXPECT_EQ(PixelOf(ends, 6, 20), 0x0000FF);   // and its bottom edge

  std::vector<std::string> lines = LinesOf(run.output);
  ASSERT_EQ(lines.size(), 5u) << run.output;
  EXPECT_EQ(NumbersOf(lines[0])[1], 1);  // one line
  EXPECT_GT(NumbersOf(lines[1])[1], 2);  // wrapped at words
  EXPECT_GT(NumbersOf(lines[2])[1], 2);  // wrapped at characters
  std::vector<double> unscrolled = NumbersOf(lines[3]), scrolled = NumbersOf(lines[4]);
  EXPECT_EQ(unscrolled[1], 6);
  EXPECT_LT(scrolled[1], unscrolled[1]);
  std::string before = Read(runner.dir() + L"unscrolled.bmp"), after = Read(runner.dir() + L"scrolled.bmp");
  ASSERT_EQ(after.size(), 54u + 120 * 30);
  EXPECT_EQ(PixelOf(before, 20, 29), 0x0000FF);
  EXPECT_EQ(PixelOf(after, 20, 29), 0x00FF00);  // the band the scroll freed
}

// The colours of a saved picture, row by row.
std::vector<int32_t> PixelsOf(const std::string& bmp, int32_t width, int32_t height) {
  std::vector<int32_t> pixels;
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) pixels.push_back(PixelOf(bmp, x, y));
  return pixels;
}

TEST(DrawScript, CopiesBetweenNamedSurfacesArePixelExact) {
  Runner runner(22,
                "memory 8 6 as tile\n"
                "SurfaceClear &HFFFFFF 0\n"
                "SurfaceSetPixel 0 0 0 &H0000FF\n"
                "SurfaceSetPixel 7 5 0 &H00FF00\n"
                "SurfaceBox 2 1 5 3 0 &HFF0000 &H808000 0\n"
                "SurfaceSetPixel 3 2 0 &H123456\n"
                "save \"tile.bmp\"\n"
                "memory 20 16 as board\n"
                "SurfaceClear 0 0\n"
                "SurfaceCopy tile 0\n"
                "save \"copy.bmp\"\n"
                "SurfaceClear 0 0\n"
                "SurfaceCopyAt tile 15 12 0\n"
                "save \"at.bmp\"\n"
                "SurfaceClear 0 0\n"
                "SurfaceCopyRect tile 2 1 5 3 1 1 0\n"
                "save \"rect.bmp\"\n"
                "SurfaceClear 0 0\n"
                "SurfaceStretchCopy tile 0 0 7 5 0 0 15 11 0 3\n"
                "save \"stretch.bmp\"\n"
                "target tile\n"
                "SurfaceClear &HFFFFFF 0\n"
                "SurfaceCopy board 0\n"
                "save \"back.bmp\"\n"
                "load \"tile.bmp\" as again\n"
                "save \"again.bmp\"\n"
                "load \"tile.bmp\" 16 12\n"
                "save \"big.bmp\"\n");
  ScriptRun run = runner.Finish();
  EXPECT_EQ(run.exit_code, 0u);
  EXPECT_EQ(run.errors, "");
  std::vector<int32_t> tile = PixelsOf(Read(runner.dir() + L"tile.bmp"), 8, 6);
  ASSERT_EQ(tile.size(), 48u);
  auto source = [&](int32_t x, int32_t y) { return tile[y * 8 + x]; };
  struct Expected {
    const wchar_t* file;
    int32_t (*at)(const std::function<int32_t(int32_t, int32_t)>& source, int32_t x, int32_t y);
  };
  const Expected expected[] = {
      {L"copy.bmp", [](const auto& src, int32_t x, int32_t y) { return x < 8 && y < 6 ? src(x, y) : 0; }},
      {L"at.bmp", [](const auto& src, int32_t x, int32_t y) { return x >= 15 && y >= 12 ? src(x - 15, y - 12) : 0; }},
      {L"rect.bmp",
       [](const auto& src, int32_t x, int32_t y) {
         return x >= 1 && x <= 4 && y >= 1 && y <= 3 ? src(x + 1, y) : 0;
       }},
      {L"stretch.bmp", [](const auto& src, int32_t x, int32_t y) { return x < 16 && y < 12 ? src(x / 2, y / 2) : 0; }},
  };
  for (const Expected& e : expected) {
    std::vector<int32_t> got = PixelsOf(Read(runner.dir() + e.file), 20, 16);
    ASSERT_EQ(got.size(), 320u);
    for (int32_t y = 0; y < 16; ++y)
      for (int32_t x = 0; x < 20; ++x)
        ASSERT_EQ(got[y * 20 + x], e.at(source, x, y)) << std::string(e.file, e.file + wcslen(e.file)) << " " << x
                                                        << "," << y;
  }
  EXPECT_EQ(PixelsOf(Read(runner.dir() + L"again.bmp"), 8, 6), tile);  // a saved file loads back
  std::string big = Read(runner.dir() + L"big.bmp");
  ASSERT_EQ(big.size(), 54u + 48 * 12);
  EXPECT_EQ(PixelOf(big, 1, 1), tile[0]);
  EXPECT_EQ(PixelOf(big, 15, 11), tile[47]);
  // The other way round the smaller canvas limits the copy.
  std::vector<int32_t> back = PixelsOf(Read(runner.dir() + L"back.bmp"), 8, 6);
  std::vector<int32_t> stretched = PixelsOf(Read(runner.dir() + L"stretch.bmp"), 20, 16);
  for (int32_t y = 0; y < 6; ++y)
    for (int32_t x = 0; x < 8; ++x) EXPECT_EQ(back[y * 8 + x], stretched[y * 20 + x]) << x << "," << y;
}

TEST(DrawScript, ADestroyedSurfaceLeavesNothingToDrawOnAndItsNameFindsNothing) {
  Runner destroyed(23,
                   "memory 10 10 as first\n"
                   "SurfaceClear &HFFFFFF 0\n"
                   "memory 10 10 as second\n"
                   "SurfaceClear &H00FF00 0\n"
                   "target first\n"
                   "MemorySurfaceDestroy\n"
                   "SurfaceClear 0 0\n"
                   "SurfaceSetPixel 1 1 0 0\n"
                   "SurfaceGetPixel 1 1 0\n"
                   "SurfacePrint \"nothing\"\n"
                   "MemorySurfaceDestroy\n"
                   "target second\n"
                   "SurfaceCopy first 0\n"
                   "SurfaceGetPixel 1 1 0\n"
                   "target first\n"
                   "SurfaceGetPixel 1 1 0\n"
                   "MemorySurfaceCreate 4 4 as third\n"
                   "target third\n"
                   "SurfaceClear &H0000FF 0\n"
                   "SurfaceGetPixel 0 0 0\n");
  Runner unknown(24, "memory 4 4\ntarget nowhere\n");
  Runner unnamed(25, "memory 4 4\nSurfaceClear 0 0 as x\n");
  Runner missing(28,
                 "memory 4 4 as pad\n"
                 "load \"missing.bmp\" as gone\n"
                 "target pad\n"
                 "SurfaceCopy gone 0\n"
                 "target gone\n");
  ScriptRun run = destroyed.Finish();
  EXPECT_EQ(run.exit_code, 0u);
  // Only attaching the surface that is gone fails.
  EXPECT_NE(run.errors.find("script.txt:15: target: error 5\n"), std::string::npos) << run.errors;
  EXPECT_EQ(LinesOf(run.errors).size(), 1u) << run.errors;
  EXPECT_EQ(run.output, "-1\n&H00FF00\n-1\n&H0000FF\n");
  run = unknown.Finish();
  EXPECT_EQ(run.exit_code, 2u);
  EXPECT_NE(run.errors.find("script.txt:2: no surface is named nowhere"), std::string::npos) << run.errors;
  run = unnamed.Finish();
  EXPECT_EQ(run.exit_code, 2u);
  EXPECT_NE(run.errors.find("script.txt:2: SurfaceClear makes no surface to name"), std::string::npos) << run.errors;
  // A surface that could not be made keeps its name, which then finds nothing.
  run = missing.Finish();
  EXPECT_EQ(run.exit_code, 1u);
  EXPECT_NE(run.errors.find("script.txt:2: could not load missing.bmp"), std::string::npos) << run.errors;
  EXPECT_NE(run.errors.find("script.txt:5: target: error 5"), std::string::npos) << run.errors;
  EXPECT_EQ(LinesOf(run.errors).size(), 2u) << run.errors;
}

// The canvas child of a graphic window of the runner, once it is there: the frame is made
// before its canvas, so both are waited for.
HWND CanvasOf(const wchar_t* title) {
  HWND canvas = nullptr;
  for (int waited = 0; waited < 60000 && !canvas; waited += 50) {
    Sleep(50);
    if (HWND frame = FindWindowW(L"QUILLGRAPH", title)) canvas = GetWindow(frame, GW_CHILD);
  }
  return canvas;
}

TEST(DrawScript, AScriptWaitsForALineTypedIntoItsWindowAndReadsKeysAndClicks) {
  // Keys and a click go to the first window while the script waits for a line in the second;
  // nothing takes them from the first until the script reads them there.
  Runner runner(26,
                "window 120 60 \"qv keys\" as keys\n"
                "window 200 80 \"qv line input\" as line\n"
                "SurfaceWindowGetCaption\n"
                "SurfaceLineInput \"name? \"\n"
                "target keys\n"
                "SurfaceKeyPeek\n"
                "SurfaceKeyRead\n"
                "SurfaceKeyPeek\n"
                "SurfaceClickRead\n"
                "SurfaceClickRead line\n"
                "SurfaceWindowGetPlace\n"
                "SurfaceWindowClose\n"
                "target line\n"
                "SurfaceWindowClose\n");
  HWND keys = CanvasOf(L"qv keys"), line = CanvasOf(L"qv line input");
  ASSERT_NE(keys, nullptr);
  ASSERT_NE(line, nullptr);
  SendMessageW(keys, WM_KEYDOWN, VK_F10, 0x00440001);  // scan code 0x44
  SendMessageW(keys, WM_LBUTTONDOWN, 0, MAKELPARAM(10, 20));
  // The canvas keeps one key at a time: give the line input time to take each.
  for (wchar_t key : std::wstring(L"hiq\b\r")) {
    Sleep(300);
    SendMessageW(line, WM_CHAR, key, 1);
  }
  ScriptRun run = runner.Finish();
  EXPECT_EQ(run.exit_code, 0u);
  EXPECT_EQ(run.errors, "");
  std::vector<std::string> lines = LinesOf(run.output);
  ASSERT_EQ(lines.size(), 8u) << run.output;
  const std::vector<std::string> expected = {"\"qv line input\"", "\"hi\"", "-1", "\"\\u0000D\"", "0",
                                             "1 10 20", "0 0 0"};
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(lines[i], expected[i]) << i;
  std::vector<double> place = NumbersOf(lines[7]);
  ASSERT_EQ(place.size(), 4u);
  EXPECT_GE(place[2], 120);  // the frame around a 120 x 60 client area
  EXPECT_GE(place[3], 60);
}

TEST(DrawScript, TheReadmeListsEveryOperationWithItsArguments) {
  Runner runner(27, "", L"--operations");
  ScriptRun run = runner.Finish();
  EXPECT_EQ(run.exit_code, 0u);
  std::vector<std::string> lines = LinesOf(run.output);
  EXPECT_GT(lines.size(), 70u);
  std::string readme = Read(Here() + L"README.md");
  ASSERT_FALSE(readme.empty());
  for (const std::string& line : lines) {
    std::vector<std::string> fields;
    size_t from = 0;
    for (size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1)
      fields.push_back(line.substr(from, tab - from));
    fields.push_back(line.substr(from));
    ASSERT_EQ(fields.size(), 5u) << line;
    const std::string& name = fields[0];
    std::string kinds = fields[2], arguments = fields[3];
    kinds.erase(std::remove(kinds.begin(), kinds.end(), '|'), kinds.end());
    size_t words = arguments.empty() ? 0 : std::count(arguments.begin(), arguments.end(), ' ') + 1;
    EXPECT_EQ(words, kinds.size()) << name << ": one word per argument";
    // The README's table row: | `name` | arguments | ...
    std::string row = "| `" + name + "` | " + (arguments.empty() ? "" : arguments + " ") + "|";
    EXPECT_NE(readme.find(row), std::string::npos) << row;
  }
}

}  // namespace
