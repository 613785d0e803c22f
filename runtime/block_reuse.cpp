#include "block_reuse.h"

#include <cstddef>
#include <mutex>

#include "dyn_string.h"
#include "platform/platform.h"
#include "spin_lock.h"

#if defined(__SANITIZE_ADDRESS__)
#define QV_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QV_ASAN 1
#endif
#endif

#if defined(QV_ASAN)
#include <sanitizer/asan_interface.h>
#endif

namespace qv {

namespace {

// The whole block: length word, data, two zero bytes.
void Poison(unsigned char* data, uint32_t n) {
#if defined(QV_ASAN)
  ASAN_POISON_MEMORY_REGION(data - 4, size_t{n} + 6);
#else
  (void)data, (void)n;
#endif
}

void Unpoison(unsigned char* data, uint32_t n) {
#if defined(QV_ASAN)
  ASAN_UNPOISON_MEMORY_REGION(data - 4, size_t{n} + 6);
#else
  (void)data, (void)n;
#endif
}

// The length is kept beside the block: its own length word is poisoned while it is here.
struct KeptBlock {
  unsigned char* data;
  uint32_t bytes;
};

SpinLock g_kept_lock;
KeptBlock g_kept[kReuseSlots];  // newest first; guarded by g_kept_lock

void Free(KeptBlock kept) {
  if (!kept.data) return;
  Unpoison(kept.data, kept.bytes);
  platform::FreeString(kept.data);
}

}  // namespace

unsigned char* ReuseBlock(uint32_t n) {
  if (n < kReuseMinBytes || n > kReuseMaxBytes) return nullptr;
  unsigned char* data = nullptr;
  {
    std::lock_guard<SpinLock> hold(g_kept_lock);
    for (int i = 0; i < kReuseSlots && !data; ++i) {
      if (!g_kept[i].data || g_kept[i].bytes != n) continue;
      data = g_kept[i].data;
      for (int j = i; j + 1 < kReuseSlots; ++j) g_kept[j] = g_kept[j + 1];
      g_kept[kReuseSlots - 1] = {};
    }
  }
  if (!data) return nullptr;
  Unpoison(data, n);
  data[n] = 0;  // a new block's terminator, whatever the last owner did
  data[n + 1] = 0;
  return data;
}

bool KeepBlock(unsigned char* data) {
  const uint32_t n = BlockLength(data);
  if (n < kReuseMinBytes || n > kReuseMaxBytes) return false;
  Poison(data, n);
  KeptBlock oldest;
  {
    std::lock_guard<SpinLock> hold(g_kept_lock);
    oldest = g_kept[kReuseSlots - 1];
    for (int j = kReuseSlots - 1; j > 0; --j) g_kept[j] = g_kept[j - 1];
    g_kept[0] = {data, n};
  }
  Free(oldest);
  return true;
}

void DropKeptBlocks() {
  KeptBlock all[kReuseSlots];
  {
    std::lock_guard<SpinLock> hold(g_kept_lock);
    for (int i = 0; i < kReuseSlots; ++i) {
      all[i] = g_kept[i];
      g_kept[i] = {};
    }
  }
  for (KeptBlock& kept : all) Free(kept);
}

}  // namespace qv
