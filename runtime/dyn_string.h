// DynString: the one string type. A block of bytes with a 32-bit byte length before the data
// and two zero bytes after it; null is the empty string and no block of length 0 ever exists.
// The same container holds byte text (code-page bytes) and wide text (UTF-16LE units).
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace qv {

// Length in bytes of the block whose first data byte is at `data` (0 for null).
inline uint32_t BlockLength(const unsigned char* data) {
  if (!data) return 0;
  uint32_t n;
  std::memcpy(&n, data - 4, 4);
  return n;
}

// Allocation primitives. n = 0 yields null and allocates nothing. The Try forms report
// failure as null only; the others also raise error 7.
unsigned char* TryAllocateBytes(uint32_t n);
unsigned char* TryAllocateUnits(uint32_t units);
unsigned char* AllocateBytes(uint32_t n);
unsigned char* AllocateUnits(uint32_t units);
void ReleaseBlock(unsigned char* data);
// A block of the new length with the common prefix copied and the rest zero; the old block is
// released. On failure the old block is kept and null is returned, with error 7.
unsigned char* ResizeBlock(unsigned char* data, uint32_t new_length);

// A reference as it travels on the operand stack: the address of a block's data, with bit 0
// set when it is borrowed (a literal or a variable's value: never released or written through
// by the consumer) and clear when it is an owned temporary.
class TextRef {
 public:
  constexpr TextRef() = default;
  static TextRef Owned(unsigned char* data) { return TextRef(reinterpret_cast<uintptr_t>(data)); }
  static TextRef Borrowed(const unsigned char* data) {
    return data ? TextRef(reinterpret_cast<uintptr_t>(data) | 1) : TextRef();
  }

  bool null() const { return bits_ == 0; }
  bool owned() const { return (bits_ & 1) == 0; }
  unsigned char* data() const { return reinterpret_cast<unsigned char*>(bits_ & ~uintptr_t{1}); }
  uint32_t bytes() const { return BlockLength(data()); }
  uint32_t units() const { return bytes() / 2; }
  std::string_view view() const { return {reinterpret_cast<const char*>(data()), bytes()}; }
  std::u16string_view wide_view() const {
    return {reinterpret_cast<const char16_t*>(data()), units()};
  }

  // Releases the block if the reference is owned; null and borrowed references are left alone.
  void Release() const {
    if (owned()) ReleaseBlock(data());
  }

 private:
  constexpr explicit TextRef(uintptr_t bits) : bits_(bits) {}
  uintptr_t bits_ = 0;
};

// A string variable: always owns its block. Copying copies the bytes (there is no sharing and
// no reference count); a failed copy leaves the variable empty with error 7.
class DynString {
 public:
  DynString() = default;
  ~DynString() { ReleaseBlock(data_); }
  DynString(const DynString& other);
  DynString& operator=(const DynString& other);
  DynString(DynString&& other) noexcept : data_(other.data_) { other.data_ = nullptr; }
  DynString& operator=(DynString&& other) noexcept;

  static DynString FromBytes(std::string_view bytes);
  static DynString FromUnits(std::u16string_view units);
  // Takes over an owned block (copies a borrowed one).
  static DynString Adopt(TextRef ref);

  unsigned char* data() { return data_; }
  const unsigned char* data() const { return data_; }
  uint32_t bytes() const { return BlockLength(data_); }
  uint32_t units() const { return bytes() / 2; }
  bool empty() const { return data_ == nullptr; }
  std::string_view view() const { return {reinterpret_cast<const char*>(data_), bytes()}; }
  std::u16string_view wide_view() const {
    return {reinterpret_cast<const char16_t*>(data_), units()};
  }
  std::string str() const { return std::string(view()); }
  std::u16string wide() const { return std::u16string(wide_view()); }

  TextRef Borrow() const { return TextRef::Borrowed(data_); }
  // Gives up the block as an owned reference; the variable becomes empty.
  TextRef Release() {
    unsigned char* d = data_;
    data_ = nullptr;
    return TextRef::Owned(d);
  }
  // Stores an owned block, releasing the previous one.
  void Reset(unsigned char* owned_block = nullptr) {
    unsigned char* old = data_;
    data_ = owned_block;
    ReleaseBlock(old);
  }

 private:
  unsigned char* data_ = nullptr;
};

}  // namespace qv
