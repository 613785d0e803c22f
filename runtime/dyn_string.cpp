#include "dyn_string.h"

#include <algorithm>

#include "block_reuse.h"
#include "error.h"
#include "platform/platform.h"

namespace qv {

unsigned char* TryAllocateBytes(uint32_t n) {
  if (n == 0) return nullptr;
  if (unsigned char* kept = ReuseBlock(n)) return kept;
  return platform::AllocateStringBytes(n);
}

unsigned char* TryAllocateUnits(uint32_t units) {
  if (units > UINT32_MAX / 2) return nullptr;
  return TryAllocateBytes(units * 2);
}

unsigned char* AllocateBytes(uint32_t n) {
  unsigned char* block = TryAllocateBytes(n);
  if (n && !block) RaiseError(kErrorOutOfMemory);
  return block;
}

unsigned char* AllocateUnits(uint32_t units) {
  unsigned char* block = TryAllocateUnits(units);
  if (units && !block) RaiseError(kErrorOutOfMemory);
  return block;
}

void ReleaseBlock(unsigned char* data) {
  if (data && !KeepBlock(data)) platform::FreeString(data);
}

unsigned char* ResizeBlock(unsigned char* data, uint32_t new_length) {
  if (new_length == 0) {
    ReleaseBlock(data);
    return nullptr;
  }
  unsigned char* block = AllocateBytes(new_length);
  if (!block) return nullptr;
  uint32_t keep = std::min(BlockLength(data), new_length);
  if (keep) std::memcpy(block, data, keep);
  std::memset(block + keep, 0, new_length - keep);
  ReleaseBlock(data);
  return block;
}

namespace {

unsigned char* CopyOf(const unsigned char* src, uint32_t n) {
  unsigned char* block = AllocateBytes(n);
  if (block) std::memcpy(block, src, n);
  return block;
}

}  // namespace

DynString::DynString(const DynString& other) : data_(CopyOf(other.data_, other.bytes())) {}

DynString& DynString::operator=(const DynString& other) {
  if (this == &other) return *this;
  uint32_t n = other.bytes();
  if (n && n == bytes()) {
    std::memcpy(data_, other.data_, n);  // same length: the block is reused
    return *this;
  }
  Reset(CopyOf(other.data_, n));
  return *this;
}

DynString& DynString::operator=(DynString&& other) noexcept {
  if (this != &other) Reset(other.Release().data());
  return *this;
}

DynString DynString::FromBytes(std::string_view bytes) {
  DynString s;
  if (bytes.size() > UINT32_MAX) {
    RaiseError(kErrorOutOfMemory);
    return s;
  }
  s.data_ = CopyOf(reinterpret_cast<const unsigned char*>(bytes.data()), uint32_t(bytes.size()));
  return s;
}

DynString DynString::FromUnits(std::u16string_view units) {
  DynString s;
  if (units.size() > UINT32_MAX / 2) {
    RaiseError(kErrorOutOfMemory);
    return s;
  }
  s.data_ = CopyOf(reinterpret_cast<const unsigned char*>(units.data()), uint32_t(units.size() * 2));
  return s;
}

DynString DynString::Adopt(TextRef ref) {
  DynString s;
  if (ref.owned())
    s.data_ = ref.data();
  else
    s.data_ = CopyOf(ref.data(), ref.bytes());
  return s;
}

}  // namespace qv
