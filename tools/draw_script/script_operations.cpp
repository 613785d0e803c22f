#include "script_operations.h"

#include <algorithm>
#include <cctype>

#include "draw_target.h"
#include "dyn_string.h"
#include "memory_surface.h"
#include "script_output.h"
#include "string_ops.h"
#include "surface.h"
#include "surface_attach.h"
#include "surface_clear.h"
#include "surface_colours.h"
#include "surface_copy.h"
#include "surface_drawing.h"
#include "surface_keys.h"
#include "surface_pen.h"
#include "surface_text.h"
#include "surface_window.h"
#include "surface_window_ops.h"
#include "user_space.h"

namespace qv::script {

float F(const Args& a, size_t n) {
  for (const Value& v : a)
    if (v.kind == Value::Kind::kNumber && n-- == 0) return ToFloat32(v.number);
  return 0;
}

int32_t I(const Args& a, size_t n) {
  for (const Value& v : a)
    if (v.kind == Value::Kind::kNumber && n-- == 0) return v.integer;
  return 0;
}

HANDLE S(const Context& context, const Args& a, size_t n) {
  for (const Value& v : a)
    if (v.kind == Value::Kind::kName && n-- == 0) {
      auto found = context.names.find(v.text);
      return found == context.names.end() ? nullptr : found->second.handle;
    }
  return nullptr;
}

namespace {

using Family::kCopies, Family::kDrawing, Family::kKeys, Family::kMemory, Family::kOptions, Family::kRunner,
    Family::kTarget, Family::kText, Family::kWindows;

std::string Pair(float a, float b) { return NumberText(a) + " " + NumberText(b); }
std::string Pair(int32_t a, int32_t b) { return std::to_string(a) + " " + std::to_string(b); }
std::string PoppedText() { return QuotedText(PopText().wide_view()); }

// A getter's line: the result of the call in the script's form.
#define PRINTS(expression) [](Context&, const Args& a, Outcome& o) { (void)a; o.printed = (expression); }
// An operation without a result.
#define DOES(statement) [](Context& c, const Args& a, Outcome&) { (void)c; (void)a; statement; }

const Operation kOperations[] = {
    // The runner's own lines.
    {"memory", "II", "width height", "", kRunner, true, RunMemory},
    {"load", "T|II", "file [width height]", "", kRunner, true, RunLoad},
    {"window", "IIT", "width height title", "", kRunner, true, RunWindow},
    {"target", "S", "surface", "", kRunner, false, RunTarget},
    {"save", "T", "file", "", kRunner, false, RunSave},

    // The target, clearing, colours and pen.
    {"SurfaceAttach", "SII", "surface id option", "", kTarget, false,
     DOES(SurfaceAttach(S(c, a, 0), I(a, 0), I(a, 1)))},
    {"SurfaceDetach", "", "", "", kTarget, false, DOES(SurfaceDetach())},
    {"SurfaceClear", "II", "colour fill_style", "", kTarget, false, DOES(SurfaceClear(I(a, 0), I(a, 1)))},
    {"SurfaceSetForeColor", "I", "colour", "", kTarget, false, DOES(SurfaceSetForeColor(I(a, 0)))},
    {"SurfaceSetBackColor", "I", "colour", "", kTarget, false, DOES(SurfaceSetBackColor(I(a, 0)))},
    {"SurfaceSetPenStyle", "I", "style", "", kTarget, false, DOES(SurfaceSetPenStyle(I(a, 0)))},
    {"SurfaceSetPenWidth", "I", "width", "", kTarget, false, DOES(SurfaceSetPenWidth(I(a, 0)))},
    {"SurfaceRedraw", "", "", "", kTarget, false, DOES(SurfaceRedraw())},

    // Drawing.
    {"SurfaceScale", "FFFF", "x1 y1 x2 y2", "", kDrawing, false,
     DOES(SurfaceScale(F(a, 0), F(a, 1), F(a, 2), F(a, 3)))},
    {"SurfaceMoveTo", "FFI", "x y relative", "", kDrawing, false, DOES(SurfaceMoveTo(F(a, 0), F(a, 1), I(a, 2)))},
    {"SurfaceLineTo", "FFII", "x y relative colour", "", kDrawing, false,
     DOES(SurfaceLineTo(F(a, 0), F(a, 1), I(a, 2), I(a, 3)))},
    {"SurfaceBox", "FFFFIIII", "x1 y1 x2 y2 corner colour fill_colour fill_style", "", kDrawing, false,
     DOES(SurfaceBox(F(a, 0), F(a, 1), F(a, 2), F(a, 3), I(a, 4), I(a, 5), I(a, 6), I(a, 7)))},
    {"SurfaceArc", "FFFFFFIIII", "x1 y1 x2 y2 start end colour fill_colour fill_style options", "", kDrawing,
     false,
     DOES(SurfaceArc(F(a, 0), F(a, 1), F(a, 2), F(a, 3), F(a, 4), F(a, 5), I(a, 6), I(a, 7), I(a, 8), I(a, 9)))},
    {"SurfacePolygon", "PIIII", "points colour fill_colour fill_style alternate", "", kDrawing, false,
     DOES(SurfacePolygon(I(a, 0), I(a, 1), I(a, 2), I(a, 3)))},
    {"SurfacePolyline", "PI", "points colour", "", kDrawing, false, DOES(SurfacePolyline(I(a, 0)))},
    {"SurfaceFloodFill", "FFIIII", "x y options fill_colour fill_style edge_colour", "", kDrawing, false,
     DOES(SurfaceFloodFill(F(a, 0), F(a, 1), I(a, 2), I(a, 3), I(a, 4), I(a, 5)))},
    {"SurfaceSetPixel", "FFII", "x y relative colour", "", kDrawing, false,
     DOES(SurfaceSetPixel(F(a, 0), F(a, 1), I(a, 2), I(a, 3)))},
    {"SurfaceGetPixel", "FFI", "x y relative", "colour", kDrawing, false,
     PRINTS(ColourText(SurfaceGetPixel(F(a, 0), F(a, 1), I(a, 2))))},
    {"SurfaceSetMix", "I", "mix", "", kDrawing, false, DOES(SurfaceSetMix(I(a, 0)))},
    {"SurfaceGetMix", "", "", "mix", kDrawing, false, PRINTS(std::to_string(SurfaceGetMix()))},
    {"SurfaceSetStretchMode", "I", "mode", "", kDrawing, false, DOES(SurfaceSetStretchMode(I(a, 0)))},
    {"SurfaceGetStretchMode", "", "", "mode", kDrawing, false, PRINTS(std::to_string(SurfaceGetStretchMode()))},
    {"SurfaceGetDpi", "", "", "x y", kDrawing, false,
     PRINTS([] {
       Dpi dpi = SurfaceGetDpi();
       return Pair(dpi.x, dpi.y);
     }())},

    // Copies from a named surface, and image files.
    {"SurfaceCopy", "SI", "source mix", "", kCopies, false, DOES(SurfaceCopy(S(c, a, 0), 0, I(a, 0)))},
    {"SurfaceCopyAt", "SFFI", "source x y mix", "", kCopies, false,
     DOES(SurfaceCopyAt(S(c, a, 0), 0, F(a, 0), F(a, 1), I(a, 2)))},
    {"SurfaceCopyRect", "SFFFFFFI", "source x1 y1 x2 y2 x y mix", "", kCopies, false,
     DOES(SurfaceCopyRect(S(c, a, 0), 0, F(a, 0), F(a, 1), F(a, 2), F(a, 3), F(a, 4), F(a, 5), I(a, 6)))},
    {"SurfaceStretchCopy", "SFFFFFFFFII", "source x1 y1 x2 y2 x3 y3 x4 y4 mix stretch_mode", "", kCopies, false,
     DOES(SurfaceStretchCopy(S(c, a, 0), 0, F(a, 0), F(a, 1), F(a, 2), F(a, 3), F(a, 4), F(a, 5), F(a, 6),
                             F(a, 7), I(a, 8), I(a, 9)))},
    {"SurfaceStretchCopyWhole", "SFFFFII", "source x3 y3 x4 y4 mix stretch_mode", "", kCopies, false,
     DOES(SurfaceStretchCopyWhole(S(c, a, 0), 0, F(a, 0), F(a, 1), F(a, 2), F(a, 3), I(a, 4), I(a, 5)))},
    {"SurfaceStretchImage", "TFFFFII", "file x3 y3 x4 y4 mix stretch_mode", "", kCopies, false,
     DOES(SurfaceStretchImage(F(a, 0), F(a, 1), F(a, 2), F(a, 3), I(a, 4), I(a, 5)))},

    // Memory surfaces and bitmap files by their run-time names.
    {"MemorySurfaceCreate", "II", "width height", "", kMemory, true,
     [](Context&, const Args& a, Outcome& o) {
       if (HANDLE made = MemorySurfaceCreate(I(a, 0), I(a, 1))) o.made = Surface{made};
     }},
    {"MemorySurfaceLoad", "TIII", "file width height stretch_mode", "", kMemory, true,
     [](Context&, const Args& a, Outcome& o) {
       if (HANDLE made = MemorySurfaceLoad(I(a, 0), I(a, 1), I(a, 2))) o.made = Surface{made};
     }},
    {"MemorySurfaceDestroy", "", "", "", kMemory, false,
     [](Context& c, const Args&, Outcome&) {
       HANDLE target = DrawTargetGet();
       MemorySurfaceDestroy();
       if (!target || DrawTargetGet()) return;  // not a memory surface: it is still the target
       for (auto& [name, surface] : c.names)
         if (surface.handle == target) surface.handle = nullptr;
     }},
    {"SurfaceSaveBitmap", "T", "file", "", kMemory, false, DOES(SurfaceSaveBitmap())},

    // Text.
    {"SurfaceSetFont", "I", "font", "", kText, false, DOES(SurfaceSetFont(I(a, 0)))},
    {"SurfacePrint", "T", "text", "", kText, false, DOES(SurfacePrint())},
    {"SurfaceNewLine", "", "", "", kText, false, DOES(SurfaceNewLine())},
    {"SurfaceTab", "", "", "", kText, false, DOES(SurfaceTab())},
    {"SurfaceSetCell", "II", "column row", "", kText, false, DOES(SurfaceSetCell(I(a, 0), I(a, 1)))},
    {"SurfaceGetCell", "", "", "column row", kText, false,
     PRINTS([] {
       TextCell cell = SurfaceGetCell();
       return Pair(cell.column, cell.row);
     }())},
    {"SurfaceTextSize", "T", "text", "width height", kText, false,
     PRINTS([] {
       UserSize s = SurfaceTextSize();
       return Pair(s.width, s.height);
     }())},
    {"SurfaceCharSize", "", "", "width height", kText, false,
     PRINTS([] {
       UserSize s = SurfaceCharSize();
       return Pair(s.width, s.height);
     }())},
    {"SurfaceLineSize", "", "", "width pitch", kText, false,
     PRINTS([] {
       UserSize s = SurfaceLineSize();
       return Pair(s.width, s.height);
     }())},
    {"SurfaceFitText", "TFI", "text width word_break", "\"part\" \"rest\"", kText, false,
     PRINTS([&a] {
       SurfaceFitText(F(a, 0), I(a, 1));
       std::string rest = PoppedText();
       return PoppedText() + " " + rest;
     }())},
    {"SurfaceSetClip", "FFFF", "left top right bottom", "", kText, false,
     DOES(SurfaceSetClip(F(a, 0), F(a, 1), F(a, 2), F(a, 3)))},

    // Text and drawing options.
    {"SurfaceSetScrollOnNewLine", "I", "on", "", kOptions, false, DOES(SurfaceSetScrollOnNewLine(I(a, 0)))},
    {"SurfaceGetScrollOnNewLine", "", "", "-1 or 0", kOptions, false,
     PRINTS(std::to_string(SurfaceGetScrollOnNewLine()))},
    {"SurfaceSetWordWrap", "I", "on", "", kOptions, false, DOES(SurfaceSetWordWrap(I(a, 0)))},
    {"SurfaceGetWordWrap", "", "", "-1 or 0", kOptions, false, PRINTS(std::to_string(SurfaceGetWordWrap()))},
    {"SurfaceSetCharWrap", "I", "on", "", kOptions, false, DOES(SurfaceSetCharWrap(I(a, 0)))},
    {"SurfaceGetCharWrap", "", "", "-1 or 0", kOptions, false, PRINTS(std::to_string(SurfaceGetCharWrap()))},
    {"SurfaceSetInclusiveEnds", "I", "on", "", kOptions, false, DOES(SurfaceSetInclusiveEnds(I(a, 0)))},
    {"SurfaceGetInclusiveEnds", "", "", "-1 or 0", kOptions, false,
     PRINTS(std::to_string(SurfaceGetInclusiveEnds()))},

    // Keys, lines and clicks.
    {"SurfaceKeyPeek", "", "", "-1 or 0", kKeys, false, PRINTS(std::to_string(SurfaceKeyPeek()))},
    {"SurfaceKeyRead", "", "", "\"key\"", kKeys, false, PRINTS((SurfaceKeyRead(), PoppedText()))},
    {"SurfaceKeyFlush", "", "", "", kKeys, false, DOES(SurfaceKeyFlush())},
    {"SurfaceLineInput", "T", "prompt", "\"line\"", kKeys, false, PRINTS((SurfaceLineInput(), PoppedText()))},
    {"SurfaceClickRead", "|S", "[window]", "state x y", kKeys, false,
     [](Context& c, const Args& a, Outcome& o) {
       ClickReading click = SurfaceClickRead(static_cast<HWND>(S(c, a, 0)));
       o.printed = std::to_string(click.state) + " " + Pair(click.x, click.y);
     }},

    // Graphic windows: the target's frame.
    {"SurfaceWindowOpenThreaded", "IIIIIIIT", "x y width height style font options title", "", kWindows, true,
     [](Context& c, const Args& a, Outcome& o) {
       HWND frame = SurfaceWindowOpenThreaded(I(a, 0), I(a, 1), I(a, 2), I(a, 3), static_cast<uint32_t>(I(a, 4)),
                                              I(a, 5), static_cast<uint32_t>(I(a, 6)));
       if (!frame) return;
       c.KeepWindow(frame);
       o.made = Surface{frame};
     }},
    {"SurfaceWindowGetCaption", "", "", "\"caption\"", kWindows, false,
     PRINTS((SurfaceWindowGetCaption(), PoppedText()))},
    {"SurfaceWindowSetCaption", "T", "caption", "", kWindows, false, DOES(SurfaceWindowSetCaption())},
    {"SurfaceWindowClose", "", "", "", kWindows, false, DOES(SurfaceWindowClose())},
    {"SurfaceWindowToFront", "", "", "", kWindows, false, DOES(SurfaceWindowToFront())},
    {"SurfaceWindowShow", "I", "visible", "", kWindows, false, DOES(SurfaceWindowShow(I(a, 0)))},
    {"SurfaceWindowDisableClose", "", "", "", kWindows, false, DOES(SurfaceWindowDisableClose())},
    {"SurfaceWindowGetPlace", "", "", "x y width height", kWindows, false,
     PRINTS([] {
       WindowPlace p = SurfaceWindowGetPlace();
       return Pair(p.x, p.y) + " " + Pair(p.width, p.height);
     }())},
    {"SurfaceWindowSetPlace", "IIII", "x y width height", "", kWindows, false,
     DOES(SurfaceWindowSetPlace(I(a, 0), I(a, 1), I(a, 2), I(a, 3)))},
    {"SurfaceWindowSetClientSize", "II", "width height", "", kWindows, false,
     DOES(SurfaceWindowSetClientSize(I(a, 0), I(a, 1)))},
    {"SurfaceStretchView", "I", "on", "", kWindows, false, DOES(SurfaceStretchView(I(a, 0)))},
    {"SurfaceScrollView", "II", "width height", "", kWindows, false, DOES(SurfaceScrollView(I(a, 0), I(a, 1)))},
    {"SurfaceViewPosition", "FF", "x y", "", kWindows, false, DOES(SurfaceViewPosition(F(a, 0), F(a, 1)))},
};

#undef PRINTS
#undef DOES

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

const char* FamilyName(Family family) {
  switch (family) {
    case kRunner: return "runner";
    case kTarget: return "target, clearing, colours and pen";
    case kDrawing: return "drawing";
    case kCopies: return "copies and images";
    case kMemory: return "memory surfaces and bitmap files";
    case kText: return "text";
    case kOptions: return "text and drawing options";
    case kKeys: return "keys, lines and clicks";
    case kWindows: return "graphic windows";
  }
  return "";
}

std::span<const Operation> Operations() { return kOperations; }

const Operation* FindOperation(std::string_view name) {
  for (const Operation& op : kOperations)
    if (SameName(op.name, name)) return &op;
  return nullptr;
}

std::string CheckArguments(const Operation& op, const Args& args, const Context& context) {
  std::string_view kinds = op.kinds;
  size_t optional = kinds.find('|');
  std::string all(kinds.substr(0, optional));
  if (optional != std::string_view::npos) all += kinds.substr(optional + 1);
  size_t least = optional == std::string_view::npos ? all.size() : optional;
  if (args.size() != all.size() && args.size() != least) {
    std::string counts = least == all.size() ? std::to_string(least)
                                             : std::to_string(least) + " or " + std::to_string(all.size());
    return std::string(op.name) + " takes " + counts + " arguments, not " + std::to_string(args.size());
  }
  for (size_t i = 0; i < args.size(); ++i) {
    const Value& v = args[i];
    const std::string where = "argument " + std::to_string(i + 1) + " of " + op.name;
    switch (all[i]) {
      case 'F':
        if (v.kind != Value::Kind::kNumber) return where + " is a number";
        break;
      case 'I':
        if (v.kind != Value::Kind::kNumber || !v.whole) return where + " is a 32-bit whole number";
        break;
      case 'T':
        if (v.kind != Value::Kind::kText) return where + " is a \"text\"";
        break;
      case 'P':
        if (v.kind != Value::Kind::kPoints) return where + " is a [point list]";
        break;
      case 'S':
        if (v.kind != Value::Kind::kName) return where + " is a surface name";
        if (!context.names.contains(v.text)) return "no surface is named " + v.text;
        break;
    }
  }
  return {};
}

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0)
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr, nullptr);
  return bytes;
}

void PushArgumentText(const std::u16string& units) { PushOwned(DynString::FromUnits(units)); }

void Call(const Operation& op, const Args& args, Context& context, Outcome& outcome) {
  if (op.family != kRunner)
    for (const Value& v : args) {
      if (v.kind == Value::Kind::kText) PushArgumentText(v.units);
      else if (v.kind == Value::Kind::kPoints) PushOwned(DynString::FromBytes(PointBlock(v.points)));
    }
  op.call(context, args, outcome);
}

}  // namespace qv::script
