#include "text_case.h"

#include <cstring>

#include "frame.h"
#include "platform/platform.h"
#include "text_operands.h"

namespace qv {

namespace {

// Gives `map` a writable copy of the top operand's units (the operand itself when owned).
template <typename Map>
void MapTop(Map map) {
  TextRef* top = ProcedureFrame::Current().operands().Slot(0);
  if (!top) {
    ProcedureFrame::Current().operands().Pop();  // an empty stack: the fatal error of Pop
    return;
  }
  const uint32_t units = top->units();
  if (units == 0) return;
  if (!top->owned()) {
    unsigned char* copy = AllocateUnits(units);  // error 7 on failure: the operand stays
    if (!copy) return;
    std::memcpy(copy, top->data(), size_t{units} * 2);
    *top = TextRef::Owned(copy);  // a borrowed operand needs no release
  }
  map(reinterpret_cast<char16_t*>(top->data()), units);
}

}  // namespace

void UpperCase() { MapTop(platform::UpperCaseUnits); }

void LowerCase() { MapTop(platform::LowerCaseUnits); }

void CapitalizeWords() {
  MapTop([](char16_t* text, uint32_t n) {
    bool upper_next = true;
    for (uint32_t i = 0; i < n; ++i) {
      if (upper_next) platform::UpperCaseUnits(text + i, 1);
      else platform::LowerCaseUnits(text + i, 1);
      upper_next = !platform::IsAlphabetic(text[i]);
    }
  });
}

}  // namespace qv
