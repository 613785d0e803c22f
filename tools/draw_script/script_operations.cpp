#include "script_operations.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <iterator>

#include "dyn_string.h"
#include "memory_surface.h"
#include "string_ops.h"
#include "surface_clear.h"
#include "surface_colours.h"
#include "surface_copy.h"
#include "surface_drawing.h"
#include "surface_pen.h"
#include "surface_text.h"
#include "surface_window_ops.h"
#include "user_space.h"

namespace qv::script {

namespace {

using Args = std::vector<Value>;

// The n-th float or whole-number argument, counting only those (texts and point lists are
// operands, not parameters).
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

const Operation kOperations[] = {
    {"SurfaceClear", "II", [](const Args& a) { SurfaceClear(I(a, 0), I(a, 1)); }},
    {"SurfaceSetForeColor", "I", [](const Args& a) { SurfaceSetForeColor(I(a, 0)); }},
    {"SurfaceSetBackColor", "I", [](const Args& a) { SurfaceSetBackColor(I(a, 0)); }},
    {"SurfaceSetPenStyle", "I", [](const Args& a) { SurfaceSetPenStyle(I(a, 0)); }},
    {"SurfaceSetPenWidth", "I", [](const Args& a) { SurfaceSetPenWidth(I(a, 0)); }},
    {"SurfaceScale", "FFFF", [](const Args& a) { SurfaceScale(F(a, 0), F(a, 1), F(a, 2), F(a, 3)); }},
    {"SurfaceMoveTo", "FFI", [](const Args& a) { SurfaceMoveTo(F(a, 0), F(a, 1), I(a, 2)); }},
    {"SurfaceLineTo", "FFII", [](const Args& a) { SurfaceLineTo(F(a, 0), F(a, 1), I(a, 2), I(a, 3)); }},
    {"SurfaceBox", "FFFFIIII",
     [](const Args& a) { SurfaceBox(F(a, 0), F(a, 1), F(a, 2), F(a, 3), I(a, 4), I(a, 5), I(a, 6), I(a, 7)); }},
    {"SurfaceArc", "FFFFFFIIII",
     [](const Args& a) {
       SurfaceArc(F(a, 0), F(a, 1), F(a, 2), F(a, 3), F(a, 4), F(a, 5), I(a, 6), I(a, 7), I(a, 8), I(a, 9));
     }},
    {"SurfacePolygon", "PIIII", [](const Args& a) { SurfacePolygon(I(a, 0), I(a, 1), I(a, 2), I(a, 3)); }},
    {"SurfacePolyline", "PI", [](const Args& a) { SurfacePolyline(I(a, 0)); }},
    {"SurfaceFloodFill", "FFIIII",
     [](const Args& a) { SurfaceFloodFill(F(a, 0), F(a, 1), I(a, 2), I(a, 3), I(a, 4), I(a, 5)); }},
    {"SurfaceSetPixel", "FFII", [](const Args& a) { SurfaceSetPixel(F(a, 0), F(a, 1), I(a, 2), I(a, 3)); }},
    {"SurfaceSetMix", "I", [](const Args& a) { SurfaceSetMix(I(a, 0)); }},
    {"SurfaceSetStretchMode", "I", [](const Args& a) { SurfaceSetStretchMode(I(a, 0)); }},
    {"SurfaceStretchImage", "TFFFFII",
     [](const Args& a) { SurfaceStretchImage(F(a, 0), F(a, 1), F(a, 2), F(a, 3), I(a, 4), I(a, 5)); }},
    {"SurfaceSaveBitmap", "T", [](const Args&) { SurfaceSaveBitmap(); }},
    {"SurfaceSetFont", "I", [](const Args& a) { SurfaceSetFont(I(a, 0)); }},
    {"SurfacePrint", "T", [](const Args&) { SurfacePrint(); }},
    {"SurfaceNewLine", "", [](const Args&) { SurfaceNewLine(); }},
    {"SurfaceTab", "", [](const Args&) { SurfaceTab(); }},
    {"SurfaceSetCell", "II", [](const Args& a) { SurfaceSetCell(I(a, 0), I(a, 1)); }},
    {"SurfaceSetClip", "FFFF", [](const Args& a) { SurfaceSetClip(F(a, 0), F(a, 1), F(a, 2), F(a, 3)); }},
    {"SurfaceWindowSetCaption", "T", [](const Args&) { SurfaceWindowSetCaption(); }},
    {"SurfaceWindowSetClientSize", "II", [](const Args& a) { SurfaceWindowSetClientSize(I(a, 0), I(a, 1)); }},
    {"SurfaceStretchView", "I", [](const Args& a) { SurfaceStretchView(I(a, 0)); }},
    {"SurfaceScrollView", "II", [](const Args& a) { SurfaceScrollView(I(a, 0), I(a, 1)); }},
    {"SurfaceViewPosition", "FF", [](const Args& a) { SurfaceViewPosition(F(a, 0), F(a, 1)); }},
    {"SurfaceWindowClose", "", [](const Args&) { SurfaceWindowClose(); }},
};

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

const Operation* FindOperation(std::string_view name) {
  for (const Operation& op : kOperations)
    if (SameName(op.name, name)) return &op;
  return nullptr;
}

std::string CheckArguments(const Operation& op, const Args& args) {
  size_t expected = std::char_traits<char>::length(op.kinds);
  if (args.size() != expected)
    return std::string(op.name) + " takes " + std::to_string(expected) + " arguments, not " +
           std::to_string(args.size());
  for (size_t i = 0; i < expected; ++i) {
    const Value& v = args[i];
    const std::string where = "argument " + std::to_string(i + 1) + " of " + op.name;
    switch (op.kinds[i]) {
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

void Call(const Operation& op, const Args& args) {
  for (const Value& v : args) {
    if (v.kind == Value::Kind::kText) {
      std::wstring wide = Wide(v.text);
      PushOwned(DynString::FromUnits(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size())));
    } else if (v.kind == Value::Kind::kPoints) {
      PushOwned(DynString::FromBytes(PointBlock(v.points)));
    }
  }
  op.call(args);
}

}  // namespace qv::script
