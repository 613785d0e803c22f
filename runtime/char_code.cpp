#include "char_code.h"

#include <cstring>
#include <optional>

#include "frame.h"

namespace qv {

namespace {

// 0-based index of a 1-based position (negative from the end) in a text of `length` units.
std::optional<uint32_t> IndexOf(int32_t position, uint32_t length) {
  int64_t p = position;
  if (p < 0) p += int64_t{length} + 1;
  if (p < 1 || p > int64_t{length}) return std::nullopt;
  return static_cast<uint32_t>(p - 1);
}

int32_t ReadUnit(int32_t position, uint32_t unit_size) {
  TextRef text = ProcedureFrame::Current().operands().Pop();
  int32_t result = -1;
  if (auto i = IndexOf(position, text.bytes() / unit_size)) {
    const unsigned char* at = text.data() + size_t{*i} * unit_size;
    result = unit_size == 1 ? at[0] : at[0] | (at[1] << 8);
  }
  text.Release();
  return result;
}

}  // namespace

int32_t CharCodeAt(int32_t position) { return ReadUnit(position, 1); }
int32_t CharCodeAtWide(int32_t position) { return ReadUnit(position, 2); }

void CharCodeWrite(DynString& variable, int32_t position, int32_t value) {
  if (auto i = IndexOf(position, variable.bytes()))
    variable.data()[*i] = static_cast<unsigned char>(value & 0xFF);
}

void CharCodeWriteWide(DynString& variable, int32_t position, int32_t value) {
  if (auto i = IndexOf(position, variable.units())) {
    unsigned char* at = variable.data() + size_t{*i} * 2;
    at[0] = static_cast<unsigned char>(value & 0xFF);
    at[1] = static_cast<unsigned char>((value >> 8) & 0xFF);
  }
}

}  // namespace qv
