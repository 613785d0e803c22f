#include "dialog_template.h"

#include <cmath>
#include <cstring>

#include "font_table.h"

namespace qv {

namespace {

class TemplateWriter {
 public:
  explicit TemplateWriter(DialogTemplateBuffer& buffer) : buffer_(buffer) {}

  template <typename T>
  void Put(T value) {
    if (at_ + sizeof value > sizeof buffer_.bytes) return;
    std::memcpy(buffer_.bytes + at_, &value, sizeof value);
    at_ += sizeof value;
  }
  // A zero-terminated UTF-16 text, cut so that the buffer always ends it.
  void PutText(const wchar_t* text, size_t max = LF_FACESIZE) {
    for (size_t i = 0; i < max && text[i] && at_ + 4 <= sizeof buffer_.bytes; ++i) Put<WORD>(text[i]);
    Put<WORD>(0);
  }

 private:
  DialogTemplateBuffer& buffer_;
  size_t at_ = 0;
};

}  // namespace

void DialogTemplateBuild(DialogTemplateBuffer& buffer, uint32_t style, uint32_t ex_style, int32_t x,
                         int32_t y, int32_t width, int32_t height, const FontRecord* font) {
  std::memset(buffer.bytes, 0, sizeof buffer.bytes);
  TemplateWriter out(buffer);
  out.Put<WORD>(1);       // dlgVer
  out.Put<WORD>(0xFFFF);  // signature
  out.Put<DWORD>(0);      // helpID
  out.Put<DWORD>(ex_style);
  out.Put<DWORD>(style);
  out.Put<WORD>(0);  // no items
  out.Put<short>(static_cast<short>(x));
  out.Put<short>(static_cast<short>(y));
  out.Put<short>(static_cast<short>(width));
  out.Put<short>(static_cast<short>(height));
  out.Put<WORD>(0);  // no menu
  out.Put<WORD>(0);  // standard dialog class
  out.PutText(L" ");  // the real title is set after creation

  float points = 8.0f;
  LONG weight = FW_NORMAL;
  BYTE italic = 0, charset = 0;
  const wchar_t* face = L"MS Sans Serif";
  if (font) {
    points = font->point_size;
    weight = font->face.lfWeight;
    italic = font->face.lfItalic;
    charset = font->face.lfCharSet;
    face = font->face.lfFaceName;
  }
  out.Put<WORD>(static_cast<WORD>(std::lrint(points)));
  out.Put<WORD>(weight >= FW_BOLD ? FW_BOLD : FW_NORMAL);
  out.Put<BYTE>(italic ? 1 : 0);
  out.Put<BYTE>(charset);
  out.PutText(face);
}

}  // namespace qv
