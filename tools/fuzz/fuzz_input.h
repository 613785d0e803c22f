// Splits a fuzzer's bytes into the arguments of one operation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "dyn_string.h"
#include "string_ops.h"

namespace qv::fuzz {

// Operands of byte (std::string) or wide (std::u16string) text operations, and their results.
template <typename Str>
void Push(const Str& s) {
  if constexpr (sizeof(typename Str::value_type) == 1) PushOwned(DynString::FromBytes(s));
  else PushOwned(DynString::FromUnits(s));
}

template <typename Str>
Str Pop() {
  if constexpr (sizeof(typename Str::value_type) == 1) return PopText().str();
  else return PopText().wide();
}

class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  int32_t Int32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t{Byte()} << (8 * i);
    return static_cast<int32_t>(v);
  }
  // A start or position: mostly small, near the ends of short texts, sometimes any value.
  int32_t Position() {
    const uint8_t kind = Byte();
    if (kind < 200) return static_cast<int8_t>(Byte());
    return Int32();
  }
  // A piece of bytes whose length comes first.
  std::string Bytes() {
    size_t n = Byte();
    if (n > size_ - pos_) n = size_ - pos_;
    std::string s(reinterpret_cast<const char*>(data_ + pos_), n);
    pos_ += n;
    return s;
  }
  // A wide text from the next byte piece: pairs of bytes as UTF-16 units.
  std::u16string Units() {
    const std::string b = Bytes();
    std::u16string s;
    for (size_t i = 0; i + 1 < b.size(); i += 2)
      s.push_back(static_cast<char16_t>(uint8_t(b[i]) | (uint8_t(b[i + 1]) << 8)));
    return s;
  }
  std::string Rest() {
    std::string s(reinterpret_cast<const char*>(data_ + pos_), size_ - pos_);
    pos_ = size_;
    return s;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// A broken property is a finding: abort so the fuzzer keeps the input.
inline void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace qv::fuzz
