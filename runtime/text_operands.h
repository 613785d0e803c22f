// Helpers shared by the text operations: views of operands in the operation's own units and
// pushing of results under the operand conventions (owned results, consumed operands).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "dyn_string.h"
#include "error.h"
#include "string_ops.h"

namespace qv {

// Byte text is read as char, wide text as UTF-16 code units. A wide operation given a block of
// odd byte length ignores the last byte.
template <typename Unit>
std::basic_string_view<Unit> UnitsOf(TextRef ref) {
  return {reinterpret_cast<const Unit*>(ref.data()), ref.bytes() / sizeof(Unit)};
}

// A block of `count` units; null for 0, and null with error 7 when it cannot be had.
template <typename Unit>
unsigned char* AllocateText(size_t count) {
  if (count > UINT32_MAX / sizeof(Unit)) {
    RaiseError(kErrorOutOfMemory);
    return nullptr;
  }
  return sizeof(Unit) == 1 ? AllocateBytes(static_cast<uint32_t>(count))
                           : AllocateUnits(static_cast<uint32_t>(count));
}

// Pushes a copy of `part` as an owned result (empty, with error 7, when it cannot be allocated).
template <typename Unit>
void PushCopy(std::basic_string_view<Unit> part) {
  unsigned char* block = AllocateText<Unit>(part.size());
  if (block) std::memcpy(block, part.data(), part.size() * sizeof(Unit));
  PushOwned(TextRef::Owned(block));
}

// Pushes `part`, a piece of the operand `source`, as the result and consumes `source`. The
// whole of an owned operand is handed on without a copy.
template <typename Unit>
void PushPartOf(TextRef source, std::basic_string_view<Unit> part) {
  if (source.owned() && !source.null() && part.size() == UnitsOf<Unit>(source).size()) {
    PushOwned(source);
    return;
  }
  PushCopy(part);
  source.Release();
}

}  // namespace qv
